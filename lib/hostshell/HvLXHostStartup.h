// The check at program start that the host shell works under Wine (run until it has passed
// once on this machine, as HKCU "Software\Wine" value "HalvernTestedLXUtils" remembers).
#pragma once

namespace hv {

// Finds the user data folder and the host home folder through the shell; when either fails,
// shows why under "Startup Error" and ends the process with exit code 0.
void RunHostStartupCheck();

}  // namespace hv
