// Common controls adapted for Wine: progress bars drawn classically where Wine's themed bar
// is broken (and green on white wherever they are drawn classically), and page controls
// whose arrow keys page through the visible tabs, which Wine's tab control does not do, and
// spin edits drawn classically where Wine draws the themed ones wrongly.
#pragma once

#include "HvPageControl.h"
#include "HvProgressBar.h"
#include "HvSpinEdit.h"

namespace hv {

class THvProgressBar : public TProgressBar {
 public:
  explicit THvProgressBar(TComponent* owner);

 protected:
  void InitializeHandle() override;
};

class THvPageControl : public TPageControl {
 public:
  using TPageControl::TPageControl;

 protected:
  void KeyDown(WORD& key) override;
};

class THvSpinEdit : public TSpinEdit {
 public:
  using TSpinEdit::TSpinEdit;

 protected:
  void InitializeHandle() override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace hv
