#include "HvLXLabel.h"

#include "HvScreen.h"

namespace hv {
namespace {

COLORREF FormColor(const TWinControl& control) {
  return control.Parent() ? control.Parent()->Color() : GetSysColor(COLOR_WINDOW);
}

void FillWith(HDC dc, const RECT& r, COLORREF color) {
  TUniqueBrush brush(CreateSolidBrush(color));
  FillRect(dc, &r, brush.get());
}

}  // namespace

void THvLabel::CreateParams(TControlParams& params) {
  RegisterPaintedControlClass(L"HvLabel");
  params.ClassName = L"HvLabel";
}

void THvLabel::SetFont(const TFontSpec& font, bool bold) {
  FFontSpec = font;
  FBold = bold;
  FOwnFont.reset();
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void THvLabel::SetFontColor(COLORREF color) {
  FFontColor = color;
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void THvLabel::SetBackColor(COLORREF color) {
  FBackColor = color;
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT THvLabel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETFONT:
      FFormFont = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(Handle(), nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(FFormFont);
    case WM_SETTEXT: {
      LRESULT r = DefaultHandler(msg, wParam, lParam);
      InvalidateRect(Handle(), nullptr, TRUE);
      return r;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
  }
  return DefaultHandler(msg, wParam, lParam);
}

void THvLabel::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Handle(), &ps);
  RECT r;
  GetClientRect(Handle(), &r);
  FillWith(dc, r, FBackColor.value_or(FormColor(*this)));
  if (FFontSpec && !FOwnFont) {
    LOGFONTW lf{};
    lf.lfHeight = ScaleForDpi(FFontSpec->Height);
    lf.lfWeight = FBold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(lf.lfFaceName, FFontSpec->Name.c_str(), LF_FACESIZE - 1);
    FOwnFont.reset(CreateFontIndirectW(&lf));
  }
  HFONT font = FOwnFont ? FOwnFont.get() : FFormFont;
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, FFontColor);
  std::wstring text = Text();
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  if (oldFont) SelectObject(dc, oldFont);
  EndPaint(Handle(), &ps);
}

}  // namespace hv
