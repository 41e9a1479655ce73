// Pictures decoded from image files: sizes, colours and transparency as the files hold them,
// refusals that leave the picture as it was, and copies that are independent.
#include <gtest/gtest.h>

#include <string>

#include "HvPicture.h"
#include "HvTestSupport.h"
#include "ImageFixtures.h"

using namespace hv;

namespace {

// Blue, green, red and alpha of one pixel of the picture's 32-bit bitmap.
struct Pixel {
  int b, g, r, a;
};
Pixel PixelAt(const TPicture& picture, int x, int y) {
  DIBSECTION dib{};
  if (GetObjectW(picture.Bitmap(), sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBitsPixel != 32) return {-1, -1, -1, -1};
  auto* row = static_cast<const BYTE*>(dib.dsBm.bmBits) + y * dib.dsBm.bmWidthBytes;
  const BYTE* p = row + x * 4;
  return {p[0], p[1], p[2], p[3]};
}

std::string Bytes(const unsigned char* data, unsigned size) { return std::string(reinterpret_cast<const char*>(data), size); }

}  // namespace

TEST(Picture, DecodesJpegAndPngWithTheirSizeColourAndTransparency) {
  struct Case {
    const char* name;
    const unsigned char* data;
    unsigned size;
    int width, height;
    bool alpha;
    Pixel pixel;  // premultiplied
  } cases[] = {
      {"jpeg", green5x3_jpg, green5x3_jpg_len, 5, 3, false, {0, 128, 0, 255}},
      {"png with alpha", blue4x2_half_png, blue4x2_half_png_len, 4, 2, true, {128, 0, 0, 128}},
      {"opaque png", red16_png, red16_png_len, 16, 16, false, {0, 0, 255, 255}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPicture picture;
    int changes = 0;
    picture.SetOnChange([&] { ++changes; });
    EXPECT_TRUE(picture.Empty());
    picture.LoadFromMemory(c.data, c.size);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(picture.Empty());
    EXPECT_EQ(picture.Width(), c.width);
    EXPECT_EQ(picture.Height(), c.height);
    EXPECT_EQ(picture.HasAlpha(), c.alpha);
    Pixel p = PixelAt(picture, c.width - 1, c.height - 1);
    // JPEG is lossy and alpha rounding differs by a step or two.
    EXPECT_NEAR(p.b, c.pixel.b, 3);
    EXPECT_NEAR(p.g, c.pixel.g, 3);
    EXPECT_NEAR(p.r, c.pixel.r, 3);
    EXPECT_NEAR(p.a, c.pixel.a, 3);
  }
}

TEST(Picture, DataThatIsNoImageIsRefusedAndThePictureStaysAsItWas) {
  TPicture picture;
  picture.LoadFromMemory(red16_png, red16_png_len);
  HBITMAP before = picture.Bitmap();
  int changes = 0;
  picture.SetOnChange([&] { ++changes; });
  std::string truncated = Bytes(blue4x2_half_png, blue4x2_half_png_len / 2);
  std::string text = "not a picture at all";
  struct Case {
    const char* name;
    const void* data;
    size_t size;
  } cases[] = {{"empty", "", 0}, {"null", nullptr, 10}, {"text", text.data(), text.size()},
               {"truncated png", truncated.data(), truncated.size()}};
  for (const Case& c : cases) {
    EXPECT_THROW(picture.LoadFromMemory(c.data, c.size), EInvalidGraphic) << c.name;
    EXPECT_EQ(picture.Bitmap(), before) << c.name;
  }
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(picture.Width(), 16);
}

TEST(Picture, LoadsFromAFileAndReportsAMissingOne) {
  hvtest::ScratchDir dir;
  ASSERT_TRUE(hvtest::WriteTextFile(dir / L"banner.jpg", Bytes(green5x3_jpg, green5x3_jpg_len)));
  TPicture picture;
  picture.LoadFromFile(dir / L"banner.jpg");
  EXPECT_EQ(picture.Width(), 5);
  try {
    picture.LoadFromFile(dir / L"missing.jpg");
    FAIL() << "no error for a missing file";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), static_cast<unsigned>(ERROR_FILE_NOT_FOUND));
  }
  EXPECT_EQ(picture.Width(), 5);
}

TEST(Picture, CopyAssignmentCopiesTheImageAndNotifiesOnlyTheTarget) {
  TPicture source, target;
  source.LoadFromMemory(blue4x2_half_png, blue4x2_half_png_len);
  int sourceChanges = 0, targetChanges = 0;
  source.SetOnChange([&] { ++sourceChanges; });
  target.SetOnChange([&] { ++targetChanges; });
  target = source;
  EXPECT_EQ(targetChanges, 1);
  EXPECT_EQ(sourceChanges, 0);
  EXPECT_NE(target.Bitmap(), source.Bitmap());
  EXPECT_EQ(target.Width(), 4);
  EXPECT_TRUE(target.HasAlpha());
  source.Clear();
  EXPECT_EQ(target.Width(), 4) << "the copy does not share the source's bitmap";
  target = target;  // self-assignment keeps the image
  EXPECT_EQ(target.Width(), 4);
  TPicture empty;
  target = empty;
  EXPECT_TRUE(target.Empty());
  EXPECT_FALSE(target.HasAlpha());
}
