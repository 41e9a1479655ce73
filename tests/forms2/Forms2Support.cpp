#include "Forms2Support.h"

namespace hvtest {

std::unique_ptr<hv::TForm> MakeHostForm(int width96, int height96) {
  std::unique_ptr<hv::TForm> form(hv::TForm::Create<hv::TForm>(nullptr));
  form->SetClientSize96(width96, height96);
  // Only a shown window collects invalidations.
  form->Show();
  return form;
}

void MarkPainted(HWND hwnd) { ValidateRect(hwnd, nullptr); }

bool IsInvalidated(HWND hwnd) { return GetUpdateRect(hwnd, nullptr, FALSE) != FALSE; }

bool IsPosted(HWND hwnd, UINT message) {
  MSG msg;
  return PeekMessageW(&msg, hwnd, message, message, PM_NOREMOVE) != FALSE;
}

bool DispatchPosted(HWND hwnd, UINT message) {
  MSG msg;
  if (!PeekMessageW(&msg, hwnd, message, message, PM_REMOVE)) return false;
  DispatchMessageW(&msg);
  return true;
}

}  // namespace hvtest
