// Runs a command-line command other than opening the window.
#pragma once

#include "HvCommandLine.h"

namespace hv {

// A refused command line prints its reason and answers 87; /? prints the usage; /detect and
// /uninstall run. Answers the process exit code.
int RunCommandLine(const TCommandLineParse& parsed);

// A start-up check that failed: its text on the console in the command modes, in a "Startup
// Error" box unless /quiet forbids windows. Answers the exit code: failed (1603), never success.
int ReportStartupFailure(const TCommandLineParse& parsed, const std::wstring& text);

}  // namespace hv
