#include "HvDetectCommand.h"
#include "HvLXExitCleanup.h"
#include "HvWindows.h"

#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The library's clean-ups (temporary files and the like) run on every way out of here.
  hv::THvExitCleanupScope cleanupAtEnd;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const bool detect = argc > 1 && (lstrcmpiW(argv[1], L"/detect") == 0 || lstrcmpiW(argv[1], L"-detect") == 0);
  LocalFree(argv);
  if (detect) return hv::RunDetectCommand();
  MessageBoxW(nullptr, L"The main window is not built yet. Run with /detect to see what would be removed.",
              L"Halvern Uninstaller", MB_OK | MB_ICONINFORMATION);
  return 0;
}
