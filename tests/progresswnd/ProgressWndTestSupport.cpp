#include "ProgressWndTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace hvtest {

ProgressWindowScope::ProgressWindowScope() { hv::InstallCancelableFormFactory(); }

ProgressWindowScope::~ProgressWindowScope() { hv::SetFlashExtenderFactory(nullptr); }

hv::THvCancelableForm& Window() {
  hv::THvCancelableForm* form = hv::CancelableForm();
  if (!form) throw std::runtime_error("no progress window");
  return *form;
}

void PostClick(hv::TButton& button) {
  LPARAM at = MAKELPARAM(5, 5);
  PostMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(button.Handle(), WM_LBUTTONUP, 0, at);
}

void PostEscape(hv::TForm& form) {
  // A person presses Esc in the active progress window; in a fresh desktop it may not have
  // the focus yet when the test presses.
  SetForegroundWindow(form.Handle());
  if (!IsChild(form.Handle(), GetFocus())) SetFocus(form.Handle());
  HWND focus = GetFocus();
  HWND target = focus && (focus == form.Handle() || IsChild(form.Handle(), focus)) ? focus : form.Handle();
  PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

int ClientHeight(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  return r.bottom;
}

int OuterHeight(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return r.bottom - r.top;
}

int Alpha(HWND hwnd) {
  if (!(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED)) return 255;
  BYTE alpha = 0;
  DWORD flags = 0;
  return GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags) && (flags & LWA_ALPHA) ? alpha : 255;
}

}  // namespace hvtest
