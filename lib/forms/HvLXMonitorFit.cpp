#include "HvLXMonitorFit.h"

#include "HvLXHost.h"

namespace hv {

void FitToMonitor(TForm& form) {
  HWND h = form.Handle();
  HMONITOR monitor = MonitorFromWindow(h, MONITOR_DEFAULTTONULL);
  if (!monitor) return;
  if (form.WindowState() == TWindowState::wsMaximized && !IsMac()) return;
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  if (!GetMonitorInfoW(monitor, &mi)) return;
  const RECT& wa = mi.rcWork;
  RECT r = form.BoundsRect();
  int left = r.left, top = r.top, width = r.right - r.left, height = r.bottom - r.top;
  bool resizable = form.BorderStyle() == TFormBorderStyle::bsSizeable ||
                   form.BorderStyle() == TFormBorderStyle::bsSizeToolWin;
  RECT client;
  GetClientRect(h, &client);
  if (height > wa.bottom - wa.top) {
    if (!resizable) form.SetScrollRange(SB_VERT, client.bottom);
    height = wa.bottom - wa.top;
    top = wa.top;
  }
  if (width > wa.right - wa.left) {
    if (!resizable) form.SetScrollRange(SB_HORZ, client.right);
    width = wa.right - wa.left;
    left = wa.left;
  }
  if (left < wa.left) left = wa.left;
  if (top < wa.top) top = wa.top;
  if (left != r.left || top != r.top || width != r.right - r.left || height != r.bottom - r.top)
    form.SetBounds(left, top, width, height);
}

int MonitorWorkAreaWidth(HMONITOR monitor) {
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  return GetMonitorInfoW(monitor, &mi) ? mi.rcWork.right - mi.rcWork.left : 0;
}

int MonitorWorkAreaHeight(HMONITOR monitor) {
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  return GetMonitorInfoW(monitor, &mi) ? mi.rcWork.bottom - mi.rcWork.top : 0;
}

}  // namespace hv
