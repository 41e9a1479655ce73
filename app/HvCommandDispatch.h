// Runs a command-line command other than opening the window.
#pragma once

#include "HvCommandLine.h"

namespace hv {

// A refused command line prints its reason and answers 87; /? prints the usage; /detect and
// /uninstall run. Answers the process exit code.
int RunCommandLine(const TCommandLineParse& parsed);

}  // namespace hv
