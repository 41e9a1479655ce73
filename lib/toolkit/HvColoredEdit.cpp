#include "HvColoredEdit.h"

#include "HvForms.h"

namespace hv {

void TColoredEdit::SetFontColor(std::optional<COLORREF> color) {
  FFontColor = color;
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TColoredEdit::SetParentColor(bool value) {
  FParentColor = value;
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

bool TColoredEdit::ParentNotify(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
  // Read-only and disabled edits ask with the static message, editable ones with the edit one.
  if (msg != WM_CTLCOLOREDIT && msg != WM_CTLCOLORSTATIC) return false;
  if (!FFontColor && !FParentColor) return false;
  HDC dc = reinterpret_cast<HDC>(wParam);
  COLORREF back = FParentColor && Parent() ? Parent()->Color()
                  : GetSysColor(msg == WM_CTLCOLORSTATIC ? COLOR_BTNFACE : COLOR_WINDOW);
  if (FFontColor) SetTextColor(dc, *FFontColor);
  SetBkColor(dc, back);
  if (!FBackBrush || FBackColor != back) {
    FBackBrush.reset(CreateSolidBrush(back));
    FBackColor = back;
  }
  result = reinterpret_cast<LRESULT>(FBackBrush.get());
  return true;
}

}  // namespace hv
