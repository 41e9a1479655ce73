#include "HvLXExitCleanup.h"
#include "HvWindows.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The library's clean-ups (temporary files and the like) run on every way out of here.
  hv::THvExitCleanupScope cleanupAtEnd;
  MessageBoxW(nullptr, L"The main window is not built yet.", L"Halvern Uninstaller", MB_OK | MB_ICONINFORMATION);
  return 0;
}
