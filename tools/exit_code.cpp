// Runs a program and prints its whole exit code. The Linux side of Wine sees only the low 8
// bits of a Windows exit code (1603 arrives as 67), so scripts ask this tool instead:
//   exit_code.exe program.exe [arguments...]   prints "exit code: N", and exits with 0 when
// the program could be started and waited for. Its standard output and error go where this
// tool's go.
#include <algorithm>
#include <string>

#include "HvLXHostScripts.h"
#include "HvHandles.h"
#include "HvLXConsole.h"
#include "HvLXProcesses.h"
#include "HvWindows.h"

int wmain(int argc, wchar_t** argv) {
  // Under Wine every program of the library needs the host shell before it asks the host.
  hv::InstallHostScriptRunner();
  if (argc < 2) {
    hv::WriteStdOutLine(L"usage: exit_code.exe program.exe [arguments...]");
    return 2;
  }
  // The rest of this tool's command line, exactly as it was given.
  std::wstring commandLine = GetCommandLineW();
  std::size_t start = 0;
  if (!commandLine.empty() && commandLine[0] == L'"') {
    start = commandLine.find(L'"', 1);
    start = start == std::wstring::npos ? commandLine.size() : start + 1;
  } else {
    start = std::min(commandLine.find(L' '), commandLine.size());
  }
  while (start < commandLine.size() && commandLine[start] == L' ') ++start;
  commandLine = commandLine.substr(start);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
    hv::WriteStdOutLine(L"cannot start: " + commandLine);
    return 1;
  }
  hv::KeepOnlyWhatWasStarted(info);
  if (!info.hProcess) {
    // A host program under Wine: started detached, with no exit code to read.
    hv::WriteStdOutLine(L"started without a process to wait for: " + commandLine);
    return 1;
  }
  const hv::UniqueKernelHandle process(info.hProcess), thread(info.hThread);
  WaitForSingleObject(process.get(), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  hv::WriteStdOutLine(L"exit code: " + std::to_wstring(code));
  return 0;
}
