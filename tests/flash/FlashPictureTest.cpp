// The flash's picture: copied in, changed in place, and shown from the innermost flash that
// has one.
#include "FlashTestSupport.h"

using namespace hv;
using hvtest::ExtenderCall;
using hvtest::FlashTest;

namespace {

HBITMAP MakeBitmap(int width, int height) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

}  // namespace

TEST(Picture, AssignCopiesTheImageAndNilEmptiesIt) {
  TPicture source;
  EXPECT_TRUE(source.Empty());
  source.SetBitmap(MakeBitmap(48, 32));
  ASSERT_FALSE(source.Empty());

  TPicture copy;
  int changes = 0;
  copy.SetOnChange([&] { ++changes; });
  copy.Assign(&source);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(copy.Width(), 48);
  EXPECT_EQ(copy.Height(), 32);
  EXPECT_NE(copy.Bitmap(), source.Bitmap()) << "a copy owns its own bitmap";

  source.Clear();  // the copy does not depend on the source
  EXPECT_FALSE(copy.Empty());
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.Empty());
  EXPECT_EQ(changes, 2);
}

TEST_F(FlashTest, PictureChangesReachTheDisplay) {
  IFlash flash = CreateFlash(L"Pictured");
  TPicture logo;
  logo.SetBitmap(MakeBitmap(16, 16));

  flash->SetPicture(&logo);
  EXPECT_EQ(display.Count(ExtenderCall::Picture), 1u);
  EXPECT_EQ(flash->Picture()->Width(), 16);

  flash->Picture()->SetBitmap(MakeBitmap(20, 20));  // changed in place
  flash->Picture()->Changed();                       // drawn into in place
  EXPECT_EQ(display.Count(ExtenderCall::Picture), 3u);

  flash->SetPicture(nullptr);
  EXPECT_TRUE(flash->Picture()->Empty());
  EXPECT_EQ(display.Count(ExtenderCall::Picture), 4u);
}

TEST_F(FlashTest, TheLastFlashWithAPictureGivesTheDisplayedOne) {
  TPicture logo;
  logo.SetBitmap(MakeBitmap(8, 8));
  IFlash outer = CreateFlash(L"Outer");
  outer->SetPicture(&logo);
  IFlash middle = CreateFlash(L"Middle");
  middle->SetPicture(&logo);
  IFlash inner = CreateFlash(L"Inner");  // no picture: does not hide middle's

  EXPECT_EQ(GetGlobalFlashState().Picture, middle->Picture());
  middle.reset();
  EXPECT_EQ(GetGlobalFlashState().Picture, outer->Picture());
  outer->SetPicture(nullptr);
  EXPECT_EQ(GetGlobalFlashState().Picture, nullptr);
}
