#include "HvRadioButton.h"

#include <commctrl.h>

namespace hv {

void TRadioButton::CreateParams(TControlParams& params) {
  params.ClassName = WC_BUTTONW;
  params.Style |= WS_TABSTOP | BS_AUTORADIOBUTTON;
}

void TRadioButton::InitializeHandle() {
  SendMessageW(Handle(), BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SaveHandleState() { FChecked = SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool TRadioButton::Checked() const {
  return HandleAllocated() ? SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED : FChecked;
}

void TRadioButton::SetChecked(bool value) {
  FChecked = value;
  if (HandleAllocated()) SendMessageW(Handle(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TRadioButton::ParentNotify(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
  if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    Click();
    result = 0;
    return true;
  }
  return false;
}

}  // namespace hv
