// "/uninstall": the window's removal without the window, for administrators. The same engine
// and order (temporary folder, then each requested product in catalogue order), a log of every
// trace and error, a registry backup of what goes, and an exit code that says how it went.
#pragma once

#include <string>

#include "HvCommandLine.h"

namespace hv {

// What happened, as far as the exit code cares.
struct TUninstallOutcome {
  bool Cancelled = false;    // the user pressed Cancel: the run stopped there
  bool Failed = false;       // the cleaning or a product's removal raised
  bool TraceFound = false;   // some requested product had a trace (and it was removed)
  bool TempCleaned = false;  // the temporary folder was cleaned
  bool RestartNeeded = false;  // files in use are left for deletion at the next restart
};
// 1602 cancelled, 1603 failed, 3010 removed but for what goes at the next restart, 0 removed
// or cleaned, 1605 nothing to do.
int UninstallExitCode(const TUninstallOutcome& outcome);

// Runs the command; returns the exit code. `commandLine` goes into the log's header.
int RunUninstallCommand(const TCommandLine& command, const std::wstring& commandLine);

}  // namespace hv
