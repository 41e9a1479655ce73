// The windows below a window, for code that looks at a window from outside: drivers, tests,
// benchmarks.
#pragma once

#include <vector>

#include "HvWindows.h"

namespace hv {

// Every child window of `window`, at any depth, in the order the system lists them.
std::vector<HWND> ChildWindowsOf(HWND window);

}  // namespace hv
