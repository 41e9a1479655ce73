// The smallest Win32 program that opens one window: the start-up baseline of the benchmark.
#include "HvLXHostScripts.h"
#include "HvWindows.h"

namespace {
LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(h, m, w, l);
}
}  // namespace

int wmain() {
  // Under Wine every program of the library needs the host shell before it asks the host.
  hv::InstallHostScriptRunner();
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"HvBareWindow";
  RegisterClassW(&wc);
  CreateWindowW(L"HvBareWindow", L"Bare Window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                nullptr, wc.hInstance, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
