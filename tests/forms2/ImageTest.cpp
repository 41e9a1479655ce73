// The image control's stretching rules: what is drawn where, and with which resampling.
#include <gtest/gtest.h>

#include "Forms2Support.h"
#include "FormsTestSupport.h"
#include "HvLXExtCtrls.h"
#include "ImageFixtures.h"

using namespace hv;

namespace {

// A white 32-bit drawing surface of the given size.
class TestSurface {
 public:
  TestSurface(int w, int h) : FDC(CreateCompatibleDC(nullptr)) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    FBitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, nullptr, nullptr, 0);
    FOld = SelectObject(FDC, FBitmap);
    RECT r{0, 0, w, h};
    FillRect(FDC, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~TestSurface() {
    SelectObject(FDC, FOld);
    DeleteObject(FBitmap);
    DeleteDC(FDC);
  }
  HDC dc() const { return FDC; }
  COLORREF At(int x, int y) const { return GetPixel(FDC, x, y); }

 private:
  HDC FDC;
  HBITMAP FBitmap;
  HGDIOBJ FOld;
};

}  // namespace

TEST(HvImage, PaintPlanFollowsTheStretchPermissions) {
  struct Case {
    const char* name;
    int control;  // square client size
    bool stretch, allowLarger, allowHighQuality, transparent;
    RECT dest;
    bool highQuality;
  } cases[] = {
      {"small picture, larger allowed", 48, true, true, true, false, {0, 0, 48, 48}, true},
      {"small picture, larger forbidden", 48, true, false, true, false, {0, 0, 16, 16}, false},
      {"exact size is never stretched", 16, true, true, true, false, {0, 0, 16, 16}, false},
      {"larger picture shrinks even when larger is forbidden", 8, true, false, true, false, {0, 0, 8, 8}, true},
      {"high quality not allowed", 48, true, true, false, false, {0, 0, 48, 48}, false},
      {"transparent image", 48, true, true, true, true, {0, 0, 48, 48}, false},
      {"no stretch", 48, false, true, true, false, {0, 0, 16, 16}, false},
  };
  auto form = hvtest::MakeHostForm();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    THvImage image(nullptr);
    image.SetDesignBounds({0, 0, c.control, c.control});
    image.Picture().LoadFromMemory(red16_png, red16_png_len);
    image.SetStretch(c.stretch);
    image.SetAllowStretchLarger(c.allowLarger);
    image.SetAllowStretchHighQuality(c.allowHighQuality);
    image.SetTransparent(c.transparent);
    TImagePaintPlan plan = image.PlanPaint();
    EXPECT_TRUE(EqualRect(&plan.Dest, &c.dest)) << plan.Dest.right << "x" << plan.Dest.bottom;
    EXPECT_EQ(plan.HighQuality, c.highQuality);
    EXPECT_TRUE(image.Stretch() == c.stretch) << "the paint leaves the setting alone";
  }
}

TEST(HvImage, ASmallPictureIsPaintedAtItsOwnSizeWhenLargerIsForbidden) {
  for (bool allowLarger : {false, true}) {
    SCOPED_TRACE(allowLarger ? "larger allowed" : "larger forbidden");
    THvImage image(nullptr);
    image.SetDesignBounds({0, 0, 48, 48});
    image.Picture().LoadFromMemory(red16_png, red16_png_len);
    image.SetStretch(true);
    image.SetAllowStretchLarger(allowLarger);
    TestSurface surface(48, 48);
    image.PaintTo(surface.dc());
    EXPECT_EQ(surface.At(8, 8), RGB(255, 0, 0));
    EXPECT_EQ(surface.At(40, 40), allowLarger ? RGB(255, 0, 0) : RGB(255, 255, 255));
  }
}

TEST(HvImage, ChangingAPermissionOrThePictureRepaints) {
  auto form = hvtest::MakeHostForm();
  auto* image = form->Add<THvImage>(L"Banner", {8, 8, 48, 48});
  image->Picture().LoadFromMemory(blue4x2_half_png, blue4x2_half_png_len);
  HWND h = image->Handle();
  hvtest::Pump();
  for (auto change : {+[](THvImage& i) { i.SetAllowStretchLarger(false); },
                      +[](THvImage& i) { i.SetAllowStretchHighQuality(false); },
                      +[](THvImage& i) { i.Picture().LoadFromMemory(red16_png, red16_png_len); }}) {
    hvtest::MarkPainted(h);
    change(*image);
    EXPECT_TRUE(hvtest::IsInvalidated(h));
  }
  image->SetStretch(true);
  hvtest::Pump();
  hvtest::SaveScreenshot(form->Handle(), L"forms2_image");
}

TEST(HvImage, DrawingWithoutACanvasOrPictureIsAProgrammingError) {
  TPicture picture;
  RECT r{0, 0, 4, 4};
  EXPECT_THROW(DrawGraphicLX(nullptr, r, &picture), EAssertionFailed);
  TestSurface surface(4, 4);
  EXPECT_THROW(DrawGraphicLX(surface.dc(), r, nullptr), EAssertionFailed);
  EXPECT_THROW(StretchHighQuality(surface.dc(), r, nullptr), EAssertionFailed);
}
