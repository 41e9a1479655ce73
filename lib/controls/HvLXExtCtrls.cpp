#include "HvLXExtCtrls.h"

#include "HvExceptions.h"
#include "HvGdiHandles.h"

namespace hv {

void THvImage::SetAllowStretchHighQuality(bool value) {
  FAllowStretchHighQuality = value;
  Invalidate();
}

void THvImage::SetAllowStretchLarger(bool value) {
  FAllowStretchLarger = value;
  Invalidate();
}

TImagePaintPlan THvImage::PlanPaint() const {
  const TPicture& picture = Picture();
  SIZE client = ClientSize();
  int w = picture.Width(), h = picture.Height();
  bool stretch = Stretch();
  if (!FAllowStretchLarger && (w < client.cx || h < client.cy)) stretch = false;
  // Same size: a copy gives the exact pixels, any resampling only blurs them.
  if (w == client.cx && h == client.cy) stretch = false;
  TImagePaintPlan plan;
  plan.Dest = ImageDestRect(w, h, client.cx, client.cy, stretch, Proportional(), Center());
  plan.HighQuality = stretch && FAllowStretchHighQuality && !Transparent() && !picture.HasAlpha();
  return plan;
}

void THvImage::PaintTo(HDC dc) {
  if (Picture().Empty()) return;
  TImagePaintPlan plan = PlanPaint();
  if (plan.HighQuality)
    StretchHighQuality(dc, plan.Dest, Picture().Bitmap());
  else
    DrawGraphicLX(dc, plan.Dest, &Picture());
}

void StretchHighQuality(HDC dc, const RECT& rect, HBITMAP bitmap) {
  HV_ASSERT(dc != nullptr && bitmap != nullptr);
  if (!SetStretchBltMode(dc, HALFTONE)) RaiseLastOSError();
  // Halftone mode moves the brush origin; brushes drawn later must line up again.
  POINT origin;
  GetBrushOrgEx(dc, &origin);
  SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
  BITMAP info;
  if (!GetObjectW(bitmap, sizeof info, &info)) RaiseLastOSError();
  TUniqueMemoryDC source(CreateCompatibleDC(dc));
  if (!source) RaiseLastOSError();
  HGDIOBJ old = SelectObject(source.get(), bitmap);
  BOOL ok = StretchBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source.get(), 0, 0,
                       info.bmWidth, info.bmHeight, SRCCOPY);
  DWORD error = GetLastError();
  SelectObject(source.get(), old);
  source.reset();
  if (!ok) throw MakeOSError(error);
}

void DrawGraphicLX(HDC dc, const RECT& rect, const TPicture* picture) {
  HV_ASSERT(dc != nullptr && picture != nullptr);
  picture->Draw(dc, rect);
}

}  // namespace hv
