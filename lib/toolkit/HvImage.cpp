#include "HvImage.h"

#include "HvForms.h"
#include "HvGdiHandles.h"
#include "HvScopeExit.h"

namespace hv {
namespace {
const wchar_t kImageClass[] = L"HvImage";
}

RECT ImageDestRect(int w, int h, int cw, int ch, bool stretch, bool proportional, bool center) {
  if (stretch || (proportional && (w > cw || h > ch))) {
    if (proportional && w > 0 && h > 0) {
      double aspect = static_cast<double>(w) / h;
      if (w > h) {
        w = cw;
        h = static_cast<int>(cw / aspect);
        if (h > ch) {
          h = ch;
          w = static_cast<int>(ch * aspect);
        }
      } else {
        h = ch;
        w = static_cast<int>(ch * aspect);
        if (w > cw) {
          w = cw;
          h = static_cast<int>(cw / aspect);
        }
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  RECT r{0, 0, w, h};
  if (center) OffsetRect(&r, (cw - w) / 2, (ch - h) / 2);
  return r;
}

TImage::TImage(TComponent* owner) : TWinControl(owner) { FPicture.SetOnChange([this] { Invalidate(); }); }

void TImage::CreateParams(TControlParams& params) {
  RegisterPaintedControlClass(kImageClass);
  params.ClassName = kImageClass;
}

void TImage::Invalidate() {
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TImage::SetStretch(bool value) {
  FStretch = value;
  Invalidate();
}
void TImage::SetCenter(bool value) {
  FCenter = value;
  Invalidate();
}
void TImage::SetProportional(bool value) {
  FProportional = value;
  Invalidate();
}
void TImage::SetTransparent(bool value) {
  FTransparent = value;
  Invalidate();
}

SIZE TImage::ClientSize() const {
  if (HandleAllocated()) {
    RECT r;
    GetClientRect(Handle(), &r);
    return {r.right, r.bottom};
  }
  RECT r = BoundsRect();
  return {r.right - r.left, r.bottom - r.top};
}

void TImage::PaintTo(HDC dc) {
  SIZE client = ClientSize();
  FPicture.Draw(dc, ImageDestRect(FPicture.Width(), FPicture.Height(), client.cx, client.cy, FStretch,
                                  FProportional, FCenter));
}

LRESULT TImage::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ERASEBKGND) {
    // The form's colour behind the picture (also where a transparent picture lets it show):
    // on a white form a grey box round a small picture would stand out.
    RECT r;
    GetClientRect(Handle(), &r);
    TUniqueBrush brush(CreateSolidBrush(Parent() ? Parent()->Color() : GetSysColor(COLOR_BTNFACE)));
    FillRect(reinterpret_cast<HDC>(wParam), &r, brush.get());
    return 1;
  }
  if (msg != WM_PAINT) return DefaultHandler(msg, wParam, lParam);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Handle(), &ps);
  ScopeExit endPaint([&] { EndPaint(Handle(), &ps); });
  PaintTo(dc);
  return 0;
}

}  // namespace hv
