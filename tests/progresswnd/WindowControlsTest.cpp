// The controls the progress window is built from, on real windows: the bar it moves pixel by
// pixel, the block style of the nested bar, and the picture box on the white form.
#include <gtest/gtest.h>

#include <memory>

#include "HvForms.h"
#include "HvLXComCtrls.h"
#include "HvLXExtCtrls.h"

using namespace hv;

TEST(BarStep, StepsStopAtTheMaximumAndSurviveAWindowRebuild) {
  std::unique_ptr<TForm> form(TForm::Create<TForm>(nullptr));
  form->Show();
  auto* bar = form->Add<THvProgressBar>(L"Bar", {8, 8, 200, 17});
  bar->SetRange(0, 10);
  bar->SetStep(4);
  HWND h = bar->Handle();
  ASSERT_NE(h, nullptr);
  const int expected[] = {4, 8, 10, 10};  // the native step would wrap round to 2
  for (int position : expected) {
    bar->StepIt();
    EXPECT_EQ(bar->Position(), position);
  }
  EXPECT_TRUE(GetWindowLongW(h, GWL_STYLE) & PBS_SMOOTH) << "continuous unless asked otherwise";

  // Blocks are a creation style: the rebuilt window keeps position and step.
  bar->SetSmooth(false);
  h = bar->Handle();
  EXPECT_FALSE(GetWindowLongW(h, GWL_STYLE) & PBS_SMOOTH);
  EXPECT_EQ(bar->Position(), 10);
  bar->SetPosition(1);
  bar->StepIt();
  EXPECT_EQ(bar->Position(), 5);

  // Stepped positions are what the bar shows again after a marquee.
  bar->SetMarquee(true);
  bar->SetMarquee(false);
  EXPECT_EQ(bar->Position(), 5);
}

TEST(PictureBox, ShowsTheFormsOwnColourAroundThePicture) {
  std::unique_ptr<TForm> form(TForm::Create<TForm>(nullptr));
  form->SetColor(RGB(255, 255, 255));
  form->Show();
  auto* image = form->Add<THvImage>(L"Image", {8, 8, 48, 48});
  HWND h = image->Handle();
  ASSERT_NE(h, nullptr);
  HDC screen = GetDC(h);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 48, 48);
  ReleaseDC(h, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(h, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  EXPECT_EQ(GetPixel(dc, 24, 24), RGB(255, 255, 255)) << "not a grey box on a white form";
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}
