// Message pumps for long work on the main thread: the windows repaint and take input in
// bounded portions while the work goes on.
#pragma once

#include "HvWindows.h"

namespace hv {

// Dispatch pending paint (or input) messages, at most 1001 (or 101) per call so that a flood
// cannot hold the caller; then peek without removing anything, which tells the system that
// the program still responds. Answer whether a message is waiting.
bool ProcessPaintMessages();
bool ProcessInputMessages();
inline constexpr int kPaintMessagePortion = 1001;
inline constexpr int kInputMessagePortion = 101;

}  // namespace hv
