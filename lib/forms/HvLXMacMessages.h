// Wine on macOS: the Mac keyboard and one-button mouse produce Alt where Windows programs
// expect Ctrl and a right click; the application's message hook adapts them.
#pragma once

#include "HvWindows.h"

namespace hv {

// Adapts one retrieved message before dispatch; `handled` set means it must not be
// dispatched.
void MacAppMessageHandler(MSG& msg, bool& handled);
// The registered message a window answers non-zero to when Alt+click should open its
// context menu.
UINT WM_WINE_SIMULATE_CONTEXTMENU_ON_MOUSE_DOWN();
// The synthesised keyboard input of the handler; answers the events sent.
using TSendInputProc = UINT(WINAPI*)(UINT count, INPUT* inputs, int size);

// Test seam: `proc` sends the handler's input for the life of the object.
class ScopedSendInputProc {
 public:
  explicit ScopedSendInputProc(TSendInputProc proc);
  ~ScopedSendInputProc();
  ScopedSendInputProc(const ScopedSendInputProc&) = delete;
  ScopedSendInputProc& operator=(const ScopedSendInputProc&) = delete;

 private:
  TSendInputProc FSaved;
};

}  // namespace hv
