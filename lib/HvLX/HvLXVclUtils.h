// Application-wide helpers of the user interface that sit between the forms and the host.
#pragma once

#include "HvForms.h"

namespace hv {

// Fits the form into the work area of its monitor: a window larger than the work area is
// cut to it (a non-resizable one gets scroll ranges so nothing becomes unreachable), and
// one that starts before the work area is moved into it. A maximised window is left alone
// except on macOS hosts.
void FitToMonitor(TForm& form);

}  // namespace hv
