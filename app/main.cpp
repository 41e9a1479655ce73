#include "HvWindows.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  MessageBoxW(nullptr, L"The main window is not built yet.", L"Halvern Uninstaller", MB_OK | MB_ICONINFORMATION);
  return 0;
}
