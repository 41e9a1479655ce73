// Keeping a window within the work area of its monitor.
#pragma once

#include "HvForms.h"
#include "HvWindows.h"

namespace hv {

// Fits the form into the work area of its monitor: a window larger than the work area is
// cut to it (a non-resizable one gets scroll ranges so nothing becomes unreachable), and
// one that starts before the work area is moved into it. A maximised window is left alone
// except on macOS hosts.
void FitToMonitor(TForm& form);
// The size of the monitor's work area (the screen without the task bar), in pixels.
int MonitorWorkAreaWidth(HMONITOR monitor);
int MonitorWorkAreaHeight(HMONITOR monitor);

}  // namespace hv
