// Prints the machine snapshot the removal tests compare (registry keys and values, files and
// folders of drive C:), one line each in sorted order, so a script can tell what a run of the
// program changed:   snapshot_machine.exe > before.txt
#include "HvLXHostScripts.h"
#include "HvLXConsole.h"
#include "HvMachineSnapshot.h"

int wmain() {
  // Under Wine every program of the library needs the host shell before it asks the host.
  hv::InstallHostScriptRunner();
  for (const std::wstring& line : hvplant::TakeSnapshot().lines) hv::WriteStdOutLine(line);
  return 0;
}
