// The main thread's cursor stack and the cursor for links.
#pragma once

#include "HvWindows.h"

namespace hv {

// A stack of cursors for the main thread; calls from other threads do nothing. Push shows
// `cursor` and remembers the one shown before; Pop shows that again (the arrow when nothing
// is left to pop).
void PushCursor(HCURSOR cursor);
void PopCursor();
// The cursor pushed last and still in force; nothing when the stack is empty. The library's
// forms show it over themselves and their controls while there is one, so that a mouse move
// (which asks the window under it for its cursor) does not bring back the arrow.
HCURSOR StackedCursor();
// The cursor for links: the browser's hand where the system has it, else the system hand.
HCURSOR GetHandCursor();

namespace detail {
// Frees the cursor stack and the library the hand cursor came from (shut-down).
void ReleaseCursors();
}  // namespace detail

}  // namespace hv
