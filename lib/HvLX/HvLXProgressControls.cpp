#include "HvLXProgressControls.h"

#include <commctrl.h>

#include <algorithm>

#include "HvScreen.h"

namespace hv {
namespace {

// The painted controls draw everything themselves; their class only needs a name.
const wchar_t* PaintedClass(const wchar_t* name) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (!GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    RegisterClassExW(&wc);
  }
  return name;
}

COLORREF FormColor(const TWinControl& control) {
  return control.Parent() ? control.Parent()->Color() : GetSysColor(COLOR_WINDOW);
}

void FillWith(HDC dc, const RECT& r, COLORREF color) {
  TUniqueBrush brush(CreateSolidBrush(color));
  FillRect(dc, &r, brush.get());
}

}  // namespace

// --- THvLabel ---

void THvLabel::CreateParams(TControlParams& params) { params.ClassName = PaintedClass(L"HvLabel"); }

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

// --- TCancelableFormImage ---

void TCancelableFormImage::CreateParams(TControlParams& params) { params.ClassName = PaintedClass(L"HvImage"); }

LRESULT TCancelableFormImage::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ERASEBKGND) return 1;
  if (msg != WM_PAINT) return DefaultHandler(msg, wParam, lParam);
  Paint();
  return 0;
}

void TCancelableFormImage::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Handle(), &ps);
  RECT r;
  GetClientRect(Handle(), &r);
  FillWith(dc, r, FormColor(*this));
  if (!FPicture.Empty()) {
    int pw = FPicture.Width(), ph = FPicture.Height();
    int w = r.right, h = r.bottom, x = 0, y = 0;
    if (FProportional) {
      // Fit the longer side, keep the aspect, centre the rest.
      if (static_cast<long long>(pw) * h > static_cast<long long>(ph) * w)
        h = MulDiv(ph, w, pw);
      else
        w = MulDiv(pw, h, ph);
      x = (r.right - w) / 2;
      y = (r.bottom - h) / 2;
    }
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, FPicture.Bitmap());
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, x, y, w, h, source, 0, 0, pw, ph, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
  }
  EndPaint(Handle(), &ps);
}

// --- TCancelableFormBar ---

void TCancelableFormBar::CreateParams(TControlParams& params) {
  params.ClassName = PROGRESS_CLASSW;
  if (FSmooth) params.Style |= PBS_SMOOTH;
  if (FMarquee) params.Style |= PBS_MARQUEE;
}

void TCancelableFormBar::InitializeHandle() {
  SendMessageW(Handle(), PBM_SETRANGE32, 0, FMax);
  SendMessageW(Handle(), PBM_SETSTEP, FStep, 0);
  SendMessageW(Handle(), PBM_SETPOS, FPosition, 0);
  if (FMarquee) SendMessageW(Handle(), PBM_SETMARQUEE, TRUE, 0);
}

void TCancelableFormBar::SetMax(int value) {
  FMax = value;
  FPosition = std::min(FPosition, FMax);
  if (HandleAllocated()) SendMessageW(Handle(), PBM_SETRANGE32, 0, value);
}

int TCancelableFormBar::Position() const {
  return HandleAllocated() && !FMarquee ? static_cast<int>(SendMessageW(Handle(), PBM_GETPOS, 0, 0)) : FPosition;
}

void TCancelableFormBar::SetPosition(int value) {
  FPosition = std::clamp(value, 0, FMax);
  if (HandleAllocated()) SendMessageW(Handle(), PBM_SETPOS, FPosition, 0);
}

void TCancelableFormBar::SetStep(int value) {
  FStep = value;
  if (HandleAllocated()) SendMessageW(Handle(), PBM_SETSTEP, value, 0);
}

void TCancelableFormBar::StepIt() {
  FPosition = std::clamp(FPosition + FStep, 0, FMax);
  if (HandleAllocated()) SendMessageW(Handle(), PBM_STEPIT, 0, 0);
}

void TCancelableFormBar::SetMarquee(bool value) {
  if (value == FMarquee) return;
  FMarquee = value;
  if (!HandleAllocated()) return;
  LONG style = GetWindowLongW(Handle(), GWL_STYLE);
  SetWindowLongW(Handle(), GWL_STYLE, value ? style | PBS_MARQUEE : style & ~PBS_MARQUEE);
  SendMessageW(Handle(), PBM_SETMARQUEE, value, 0);
  if (!value) {
    // Leaving the marquee, the bar shows the position it had before.
    SendMessageW(Handle(), PBM_SETRANGE32, 0, FMax);
    SendMessageW(Handle(), PBM_SETPOS, FPosition, 0);
  }
  InvalidateRect(Handle(), nullptr, TRUE);
}

}  // namespace hv
