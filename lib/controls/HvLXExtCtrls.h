// An image control with controlled stretching: small pictures need not be blown up, a
// picture of exactly the control's size is copied rather than stretched, and stretching
// uses halftone resampling where the picture allows it.
#pragma once

#include "HvImage.h"

namespace hv {

// How one paint of a THvImage draws its picture.
struct TImagePaintPlan {
  RECT Dest{};
  bool HighQuality = false;  // halftone stretch of the bitmap instead of the plain drawing
};

class THvImage : public TImage {
 public:
  using TImage::TImage;

  bool AllowStretchHighQuality() const { return FAllowStretchHighQuality; }
  void SetAllowStretchHighQuality(bool value);
  // False keeps a picture smaller than the control at its own size even when stretching.
  bool AllowStretchLarger() const { return FAllowStretchLarger; }
  void SetAllowStretchLarger(bool value);

  TImagePaintPlan PlanPaint() const;
  void PaintTo(HDC dc) override;

 private:
  bool FAllowStretchHighQuality = true;
  bool FAllowStretchLarger = true;
};

// Stretches the whole bitmap into `rect` with halftone resampling. Raises the system error
// when the device refuses the stretch mode.
void StretchHighQuality(HDC dc, const RECT& rect, HBITMAP bitmap);
// The plain drawing of a picture into `rect`.
void DrawGraphicLX(HDC dc, const RECT& rect, const TPicture* picture);

}  // namespace hv
