// Holds a file open the way a program that has it in use does: reading and writing shared,
// deleting not, so no other process can delete or rename it while this one lives.
//   hold_file.exe <file> [seconds]   prints "holding: <file> (process N)" once the file is
// open, then waits (300 seconds when none are given) and exits with 0; exit code 1 when the
// file could not be opened. End it early by its process id (taskkill /pid N /f).
#include <cwchar>
#include <string>

#include "HvExceptions.h"
#include "HvHandles.h"
#include "HvLXConsole.h"
#include "HvLXHostScripts.h"
#include "HvWindows.h"

int wmain(int argc, wchar_t** argv) {
  hv::InstallHostScriptRunner();
  if (argc < 2 || argc > 3) {
    hv::WriteStdOutLine(L"usage: hold_file.exe <file> [seconds]");
    return 2;
  }
  const DWORD seconds = argc == 3 ? static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) : 300;
  const hv::UniqueFileHandle file(CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    hv::WriteStdOutLine(L"cannot open: " + std::wstring(argv[1]) + L": " + hv::SysErrorMessage(GetLastError()));
    return 1;
  }
  hv::WriteStdOutLine(L"holding: " + std::wstring(argv[1]) + L" (process " + std::to_wstring(GetCurrentProcessId()) +
                      L")");
  Sleep(seconds * 1000);
  return 0;
}
