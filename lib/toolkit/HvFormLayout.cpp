// The controls' layout in a form's client area: anchors follow the client size, and a
// client smaller than its content scrolls.
#include "HvForms.h"

#include <algorithm>

#include "HvScreen.h"

namespace hv {

void TForm::LayoutControls() {
  if (!FHandle || IsIconic(FHandle)) return;
  RECT rc;
  GetClientRect(FHandle, &rc);
  int dw = rc.right - FCreatedClientWidth, dh = rc.bottom - FCreatedClientHeight;
  // Scrolled content keeps its design size; anchors follow only the visible area otherwise.
  if (FScrollRange[0] > 0) dw = 0;
  if (FScrollRange[1] > 0) dh = 0;
  for (TWinControl* c : FControls) {
    c->ApplyLayout(dw, dh);
    if ((FScrollPos[0] || FScrollPos[1]) && c->HandleAllocated()) {
      RECT r = c->BoundsRect();
      SetWindowPos(c->Handle(), nullptr, r.left - FScrollPos[0], r.top - FScrollPos[1], 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
}

void TForm::SetScrollRange(int bar, int range) {
  int i = bar == SB_VERT ? 1 : 0;
  FScrollRange[i] = std::max(range, 0);
  FScrollPos[i] = 0;
  UpdateScrollBars();
  LayoutControls();
}

void TForm::UpdateScrollBars() {
  if (!FHandle) return;
  RECT rc;
  GetClientRect(FHandle, &rc);
  for (int i = 0; i < 2; ++i) {
    int bar = i ? SB_VERT : SB_HORZ;
    int page = i ? rc.bottom : rc.right;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = FScrollRange[i] > page ? FScrollRange[i] - 1 : 0;
    si.nPage = FScrollRange[i] > page ? page : 0;
    FScrollPos[i] = std::clamp(FScrollPos[i], 0, std::max(FScrollRange[i] - page, 0));
    si.nPos = FScrollPos[i];
    SetScrollInfo(FHandle, bar, &si, TRUE);
  }
}

void TForm::Scroll(int bar, int code) {
  int i = bar == SB_VERT ? 1 : 0;
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  GetScrollInfo(FHandle, bar, &si);
  int pos = si.nPos;
  switch (code) {
    case SB_LINEUP: pos -= ScaleForDpi(8); break;
    case SB_LINEDOWN: pos += ScaleForDpi(8); break;
    case SB_PAGEUP: pos -= static_cast<int>(si.nPage); break;
    case SB_PAGEDOWN: pos += static_cast<int>(si.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = si.nMax; break;
    default: return;
  }
  pos = std::clamp(pos, 0, std::max(si.nMax - static_cast<int>(si.nPage) + 1, 0));
  if (pos == FScrollPos[i]) return;
  FScrollPos[i] = pos;
  SetScrollPos(FHandle, bar, pos, TRUE);
  LayoutControls();
  InvalidateRect(FHandle, nullptr, TRUE);
}

}  // namespace hv
