// The hint a rich edit shows while the mouse is over a link: a tooltip beside the cursor with
// the address the link opens.
#pragma once

#include <string>

#include "HvWindows.h"

namespace hv {

class TLinkHintWindow {
 public:
  TLinkHintWindow() = default;
  ~TLinkHintWindow() { Destroy(); }
  TLinkHintWindow(const TLinkHintWindow&) = delete;
  TLinkHintWindow& operator=(const TLinkHintWindow&) = delete;

  // Shows `text` below the cursor for `control`; a different text replaces the one shown.
  void Show(HWND control, const std::wstring& text);
  void Hide();
  // Goes with the control's window.
  void Destroy();
  bool Showing() const { return FShowing; }
  HWND Handle() const { return FTip; }

 private:
  HWND FTip = nullptr;  // owned: destroyed with the control's window or by Destroy
  HWND FControl = nullptr;
  std::wstring FText;
  bool FShowing = false;
};

}  // namespace hv
