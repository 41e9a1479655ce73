// The display workaround for Wine on macOS, where a window can end up on no monitor.
#pragma once

#include "HvWindows.h"

namespace hv {

// Whether the workaround is due: on a macOS host with Wine's tricks, when `hwnd` (if any)
// lies on no monitor or the system sees no monitor at all.
bool NeedsMacFix(HWND hwnd);
void RunMacFix();

}  // namespace hv
