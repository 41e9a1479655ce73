// Wine on macOS can lose track of the displays until a real window has been shown,
// minimised and restored once; a throw-away window does that before ours appear.
#include "HvLXMacFix.h"

#include "HvLXHost.h"
#include "HvScopeExit.h"
#include "HvGdiHandles.h"

namespace hv {
namespace {
const wchar_t kFixerClass[] = L"HalvernFormLX_Mac_Fixer_Class";
const wchar_t kFixerTitle[] = L"Halvern Mac Fixer Window";
bool gFixerClassRegistered = false;
bool gFixerRunning = false;
}  // namespace

bool NeedsMacFix(HWND hwnd) {
  if (!IsMac() || !UseWineTricks(L"unknown")) return false;
  if (hwnd && IsWindow(hwnd) && !MonitorFromWindow(hwnd, MONITOR_DEFAULTTONULL)) return true;
  return GetSystemMetrics(SM_CMONITORS) == 0;
}

void RunMacFix() {
  if (gFixerRunning) return;
  gFixerRunning = true;
  ScopeExit stopped([] { gFixerRunning = false; });
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!gFixerClassRegistered) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kFixerClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      MessageBoxW(nullptr, L"window class registration failed", kFixerTitle, MB_OK | MB_ICONWARNING);
      return;
    }
    gFixerClassRegistered = true;
  }
  TUniqueWindow window(CreateWindowExW(0, kFixerClass, kFixerTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                      50, 30, nullptr, nullptr, instance, nullptr));
  HWND h = window.get();
  if (!h) {
    MessageBoxW(nullptr, L"window creation failed", kFixerTitle, MB_OK | MB_ICONWARNING);
    return;
  }
  ShowWindow(h, SW_SHOWNORMAL);
  UpdateWindow(h);
  Sleep(30);
  ShowWindow(h, SW_MINIMIZE);
  Sleep(30);
  ShowWindow(h, SW_RESTORE);
  Sleep(30);
}

}  // namespace hv
