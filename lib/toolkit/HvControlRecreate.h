// Rebuilding a control's native window when a style that only creation reads must change.
#pragma once

#include "HvControls.h"

namespace hv {

// Destroys and recreates the control's native window in the same place: the rectangle the
// layout gave it and its position in the tab order survive. Nothing happens without a
// native window.
void RecreateControlWindow(TWinControl& control);

}  // namespace hv
