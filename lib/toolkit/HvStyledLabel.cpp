#include "HvStyledLabel.h"

#include "HvForms.h"
#include "HvScreen.h"

namespace hv {

void TStyledLabel::SetWordWrap(bool value) {
  FWordWrap = value;
  SetAutoSize(!value);
}

void TStyledLabel::SetBold(bool value) {
  FBold = value;
  ApplyFont();
}

void TStyledLabel::SetPointSize(int points) {
  FPointSize = points;
  ApplyFont();
}

void TStyledLabel::SetFontColor(std::optional<COLORREF> color) {
  FFontColor = color;
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TStyledLabel::InitializeHandle() {
  ApplyFont();  // before the label fits its width to the text
  TLabel::InitializeHandle();
}

void TStyledLabel::ApplyFont() {
  if (!HandleAllocated() || !Parent() || (!FBold && FPointSize == 0)) return;
  LOGFONTW lf{};
  GetObjectW(Parent()->FontHandle(), sizeof(lf), &lf);
  if (FBold) lf.lfWeight = FW_BOLD;
  if (FPointSize > 0) lf.lfHeight = -MulDiv(FPointSize, Screen().PixelsPerInch(), 72);
  FOwnFont.reset(CreateFontIndirectW(&lf));
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FOwnFont.get()), TRUE);
}

bool TStyledLabel::ParentNotify(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
  if (msg != WM_CTLCOLORSTATIC || !Parent()) return false;
  HDC dc = reinterpret_cast<HDC>(wParam);
  SetTextColor(dc, FFontColor.value_or(GetSysColor(COLOR_WINDOWTEXT)));
  SetBkColor(dc, Parent()->Color());
  if (!FBackBrush) FBackBrush.reset(CreateSolidBrush(Parent()->Color()));
  result = reinterpret_cast<LRESULT>(FBackBrush.get());
  return true;
}

}  // namespace hv
