// "/detect": reports, without changing anything, what the window would list: for each product
// the line the window logs, then one indented line per trace found.
#pragma once

#include <string>
#include <vector>

namespace hv {

// The report lines (no line ends); `anyDetected`, when given, tells whether a product was found.
std::vector<std::wstring> DetectReport(bool deleteInstallationFolder = true, bool* anyDetected = nullptr);
// Writes the report to standard output; returns the process exit code: 0 nothing detected,
// 1 something detected, 1603 an error while detecting (its class and text are printed).
int RunDetectCommand();

}  // namespace hv
