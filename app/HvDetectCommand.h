// "/detect": reports, without changing anything, what the window would list: for each product
// the line the window logs, then one indented line per trace found.
#pragma once

#include <string>
#include <vector>

namespace hv {

// The report lines (no line ends).
std::vector<std::wstring> DetectReport(bool deleteInstallationFolder = true);
// Writes the report to standard output; returns the process exit code.
int RunDetectCommand();

}  // namespace hv
