// Helpers of the progress window suite: the window's factory on the main thread, a clock
// that only moves when told, and real clicks and keys sent to the window.
#pragma once

#include <string>

#include "HvFakeClock.h"
#include "HvLXCancelableFrm.h"

namespace hvtest {

// Every flash of the test is shown in the progress window; the clock is frozen.
class ProgressWindowScope {
 public:
  ProgressWindowScope();
  ~ProgressWindowScope();
  ScopedFakeClock Clock;
};

// The window; fails the test when there is none.
hv::THvCancelableForm& Window();

// A mouse click on the button, waiting in the queue for the window's next processing.
void PostClick(hv::TButton& button);
// Esc pressed on the focused control (or the window when nothing has the focus).
void PostEscape(hv::TForm& form);

int ClientHeight(HWND hwnd);
int OuterHeight(HWND hwnd);
// The window's layered alpha, or 255 when it is not layered.
int Alpha(HWND hwnd);

}  // namespace hvtest
