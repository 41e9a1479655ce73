#include "HvControlRecreate.h"

namespace hv {

void RecreateControlWindow(TWinControl& control) {
  HWND old = control.Handle();
  if (!old) return;
  HWND parent = GetParent(old);
  HWND previous = GetWindow(old, GW_HWNDPREV);
  RECT r = control.BoundsRect();  // where anchoring put it, not the design rectangle
  control.DestroyHandle();
  control.CreateHandle(parent);
  SetWindowPos(control.Handle(), previous ? previous : HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOACTIVATE);
}

}  // namespace hv
