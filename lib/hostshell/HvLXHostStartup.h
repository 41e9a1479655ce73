// The check at program start that the host shell works under Wine (run until it has passed
// once on this machine, as HKCU "Software\Wine" value "HalvernTestedLXUtils" remembers).
#pragma once

#include <optional>
#include <string>

namespace hv {

// Finds the user data folder and the host home folder through the shell. Answers why when
// either fails (the caller shows it as a "Startup Error" where it may show a box, and ends with
// an error exit code), nothing when the check passed or was not needed.
std::optional<std::wstring> RunHostStartupCheck();

}  // namespace hv
