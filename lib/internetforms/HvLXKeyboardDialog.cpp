#include "HvLXKeyboardDialog.h"

#include <cwctype>

#include "HvControls.h"

namespace hv {
namespace {

bool IsButtonClass(HWND hwnd) {
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 16);
  return CompareStringOrdinal(cls, -1, L"Button", -1, TRUE) == CSTR_EQUAL;
}

// A control the user can reach now: shown and enabled, its form too.
bool Reachable(TWinControl* control) {
  return control->HandleAllocated() && IsWindowVisible(control->Handle()) && IsWindowEnabled(control->Handle());
}

}  // namespace

void THvLXKeyboardDialog::SetDefaultButton(TButton* button) {
  FDefaultButton = button;
  if (button) button->SetDefault(true);
}

void THvLXKeyboardDialog::SetAccelerator(wchar_t letter, TWinControl* control) {
  FAccelerators.emplace_back(static_cast<wchar_t>(std::towupper(letter)), control);
}

TWinControl* THvLXKeyboardDialog::AcceleratorTarget(wchar_t letter) const {
  letter = static_cast<wchar_t>(std::towupper(letter));
  for (const auto& [key, control] : FAccelerators)
    if (key == letter) return control;
  return nullptr;
}

bool THvLXKeyboardDialog::IsShortCut(const MSG& msg) {
  // Letter keys only: the virtual key codes of F1 to F12 read as lower-case letters.
  const bool letter = msg.wParam >= 'A' && msg.wParam <= 'Z';
  if (msg.message == WM_SYSKEYDOWN && letter && GetKeyState(VK_MENU) < 0 && GetKeyState(VK_CONTROL) >= 0) {
    TWinControl* control = AcceleratorTarget(static_cast<wchar_t>(msg.wParam));
    if (control) RevealControl(control);
    if (control && Reachable(control)) {
      control->SetFocus();
      if (IsButtonClass(control->Handle())) SendMessageW(control->Handle(), BM_CLICK, 0, 0);
      // The letter's character message would only beep now that the key has done its work.
      MSG pending;
      PeekMessageW(&pending, msg.hwnd, WM_SYSCHAR, WM_SYSCHAR, PM_REMOVE);
      return true;
    }
  }
  return THvFormLX::IsShortCut(msg);
}

void THvLXKeyboardDialog::Activate() {
  THvFormLX::Activate();
  // The window's own activation leaves the focus on the window, where keys do nothing.
  if (GetFocus() == Handle())
    if (HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE)) ::SetFocus(first);
}

LRESULT THvLXKeyboardDialog::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  // The dialog manager asks for the default button on Enter and sends IDCANCEL on Esc.
  // As in any dialog box, a focused push button takes the default's place meanwhile.
  if (msg == DM_GETDEFID) {
    HWND focus = GetFocus();
    if (focus && GetParent(focus) == Handle() && IsButtonClass(focus)) {
      LONG type = GetWindowLongW(focus, GWL_STYLE) & BS_TYPEMASK;
      if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
    }
    if (FDefaultButton && FDefaultButton->HandleAllocated())
      return MAKELRESULT(GetDlgCtrlID(FDefaultButton->Handle()), DC_HASDEFID);
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL && !TWinControl::FromHandle(reinterpret_cast<HWND>(lParam))) {
    if (FCancelButton && Reachable(FCancelButton))
      SendMessageW(FCancelButton->Handle(), BM_CLICK, 0, 0);
    else if (FCancelButton == nullptr)
      SetModalResult(mrCancel);
    return 0;
  }
  return THvFormLX::WndProc(msg, wParam, lParam);
}

}  // namespace hv
