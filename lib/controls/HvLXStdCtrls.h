// Push buttons, check boxes and radio buttons that stay correct under Wine with themes on:
// Wine forgets to repaint themed button-like controls after state changes, and draws a
// themed multi-line caption badly, so captions that fit stay single-line and themed, and
// only the ones that really wrap are drawn classically.
#pragma once

#include "HvControls.h"
#include "HvRadioButton.h"
#include "HvWindows.h"

namespace hv {

// Posted to a control to invalidate it once the current message is done with.
UINT WM_DEFERRED_INVALIDATE();

// The shared adaptations; Base is one of the toolkit's button-like controls.
template <class Base>
class THvButtonControl : public Base {
 public:
  using Base::Base;

  bool WordWrap() const { return FWordWrap; }
  // Lets a long caption wrap onto several lines.
  void SetWordWrap(bool value);

  bool RepaintFixNeeded() const;
  bool WordWrapFixNeeded() const;
  // The width the caption needs on one line, in pixels.
  virtual int RequiredCaptionWidth() const;
  bool WantsMultiLine() const;
  // Raises EAssertionFailed without a native window.
  bool HasMultiLineStyle() const;

 protected:
  // Check boxes and radio buttons suffer from an older Wine fault than push buttons.
  virtual bool CheckLike() const { return false; }
  void CreateParams(TControlParams& params) override;
  void InitializeHandle() override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Click() override;
  void UpdateWordWrap();
  void Invalidate();

 private:
  bool FWordWrap = false;
  int FRecreateWidth = -1;  // the width of the window being rebuilt, or -1
};

class THvButton : public THvButtonControl<TButton> {
 public:
  using THvButtonControl<TButton>::THvButtonControl;
};

class THvCheckBox : public THvButtonControl<TCheckBox> {
 public:
  using THvButtonControl<TCheckBox>::THvButtonControl;
  int RequiredCaptionWidth() const override;

 protected:
  bool CheckLike() const override { return true; }
};

class THvRadioButton : public THvButtonControl<TRadioButton> {
 public:
  using THvButtonControl<TRadioButton>::THvButtonControl;
  int RequiredCaptionWidth() const override;

 protected:
  bool CheckLike() const override { return true; }
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

extern template class THvButtonControl<TButton>;
extern template class THvButtonControl<TCheckBox>;
extern template class THvButtonControl<TRadioButton>;

}  // namespace hv
