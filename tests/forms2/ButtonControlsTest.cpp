// Push buttons, check boxes and radio buttons under themed Wine: repaints that Wine forgets,
// and captions that only go multi-line (and classic) when they do not fit.
#include <gtest/gtest.h>

#include "Forms2Support.h"
#include "FormsTestSupport.h"
#include "HvLXComCtrls.h"
#include "HvLXStdCtrls.h"

using namespace hv;
using hvtest::ThemedWine;

TEST(ButtonControls, RepaintAndWordWrapFixesNeedThemesAndWineTricks) {
  auto form = hvtest::MakeHostForm();
  auto* button = form->Add<THvButton>(L"B", {8, 8, 75, 25});
  auto* box = form->Add<THvCheckBox>(L"C", {8, 40, 120, 17});
  auto* radio = form->Add<THvRadioButton>(L"R", {8, 64, 120, 17});
  struct Case {
    bool themed, tricks, fix;
  } cases[] = {{true, true, true}, {true, false, false}, {false, true, false}, {false, false, false}};
  for (const Case& c : cases) {
    ThemedWine host(c.themed, c.tricks);
    SCOPED_TRACE(testing::Message() << "themed " << c.themed << ", tricks " << c.tricks);
    EXPECT_EQ(button->RepaintFixNeeded(), c.fix);
    EXPECT_EQ(box->RepaintFixNeeded(), c.fix);
    EXPECT_EQ(radio->RepaintFixNeeded(), c.fix);
    EXPECT_EQ(box->WordWrapFixNeeded(), c.fix);
  }
}

TEST(ButtonControls, ACaptionThatFitsStaysSingleLineAndNarrowingRebuildsItMultiLine) {
  ThemedWine host(true, true);
  auto form = hvtest::MakeHostForm();
  auto* box = form->Add<THvCheckBox>(L"Box", {8, 8, 300, 30});
  box->SetText(L"Delete Installation Folder");
  box->SetChecked(true);
  box->SetWordWrap(true);
  HWND wide = box->Handle();
  EXPECT_FALSE(box->HasMultiLineStyle());
  EXPECT_FALSE(hvtest::IsPosted(wide, WM_DEFERRED_INVALIDATE()));

  // Exactly the width the caption needs is still one line; a pixel less wraps.
  int required = box->RequiredCaptionWidth();
  SetWindowPos(wide, nullptr, 0, 0, required, 30, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(box->Handle(), wide);
  EXPECT_FALSE(box->HasMultiLineStyle());

  SetWindowPos(wide, nullptr, 0, 0, required - 1, 30, SWP_NOMOVE | SWP_NOZORDER);
  HWND narrow = box->Handle();
  EXPECT_NE(narrow, wide);
  EXPECT_FALSE(IsWindow(wide));
  EXPECT_TRUE(box->HasMultiLineStyle());
  EXPECT_TRUE(box->Checked()) << "the state survives the new window";
  RECT r = box->BoundsRect();
  EXPECT_EQ(r.right - r.left, required - 1) << "the new window keeps the size that made it wrap";
  // The classic look takes effect once the window gets its deferred repaint.
  hvtest::MarkPainted(narrow);
  EXPECT_TRUE(hvtest::DispatchPosted(narrow, WM_DEFERRED_INVALIDATE()));
  EXPECT_TRUE(hvtest::IsInvalidated(narrow));

  // A caption short enough for the narrow box goes back to one line.
  box->SetText(L"Delete");
  EXPECT_FALSE(box->HasMultiLineStyle());
}

TEST(ButtonControls, WithoutTheFixWordWrapIsTheStyleAsSet) {
  ThemedWine host(false, true);
  auto form = hvtest::MakeHostForm();
  auto* button = form->Add<THvButton>(L"B", {8, 8, 300, 25});
  button->SetText(L"OK");
  button->SetWordWrap(true);
  EXPECT_TRUE(button->HasMultiLineStyle());
  EXPECT_FALSE(hvtest::IsPosted(button->Handle(), WM_DEFERRED_INVALIDATE()));
}

TEST(ButtonControls, AskingForTheMultiLineStyleWithoutAWindowIsAProgrammingError) {
  THvButton button(nullptr);
  EXPECT_THROW(button.HasMultiLineStyle(), EAssertionFailed);
}

// The native button repaints itself after some changes but not after these; the fix has
// to make up for the ones Wine forgets.
TEST(ButtonControls, StateChangesInvalidateOnlyUnderTheRepaintFix) {
  auto form = hvtest::MakeHostForm();
  auto* box = form->Add<THvCheckBox>(L"Box", {8, 8, 150, 17});
  auto* radio = form->Add<THvRadioButton>(L"Radio", {8, 40, 150, 17});
  for (bool fix : {true, false}) {
    ThemedWine host(fix, fix);
    SCOPED_TRACE(fix ? "with the fix" : "without the fix");
    HWND h = box->Handle();
    hvtest::Pump();

    // Enabling posts the repaint, which invalidates when it arrives.
    box->SetEnabled(false);
    EXPECT_EQ(hvtest::IsPosted(h, WM_DEFERRED_INVALIDATE()), fix);
    hvtest::MarkPainted(h);
    EXPECT_EQ(hvtest::DispatchPosted(h, WM_DEFERRED_INVALIDATE()), fix);
    EXPECT_EQ(hvtest::IsInvalidated(h), fix);
    box->SetEnabled(true);
    hvtest::Pump();

    hvtest::MarkPainted(h);
    SendMessageW(h, WM_CHAR, L' ', 0);
    EXPECT_EQ(hvtest::IsInvalidated(h), fix);
  }
  // With the fix, a click and a radio check leave the control invalidated after the handler.
  ThemedWine host(true, true);
  bool clicked = false;
  box->OnClick = [&](TComponent*) { clicked = true; };
  hvtest::MarkPainted(box->Handle());
  SendMessageW(box->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(clicked);
  EXPECT_TRUE(hvtest::IsInvalidated(box->Handle()));
  hvtest::Pump();
  hvtest::MarkPainted(radio->Handle());
  radio->SetChecked(!radio->Checked());
  EXPECT_TRUE(hvtest::IsInvalidated(radio->Handle()));
}

TEST(ProgressBar, GreenOnWhiteUnlessThemedWithAWorkingThemedBar) {
  struct Case {
    bool themed, tricks, classicColours;
  } cases[] = {{true, false, false}, {true, true, true}, {false, false, true}, {false, true, true}};
  auto form = hvtest::MakeHostForm();
  for (const Case& c : cases) {
    ThemedWine host(c.themed, c.tricks);
    SCOPED_TRACE(testing::Message() << "themed " << c.themed << ", tricks " << c.tricks);
    auto* bar = form->Add<THvProgressBar>(L"Bar", {8, 8, 200, 17});
    bar->SetRange(0, 10);
    bar->SetPosition(4);
    HWND h = bar->Handle();
    ASSERT_NE(h, nullptr);
    COLORREF expectedBar = c.classicColours ? RGB(0, 128, 0) : CLR_DEFAULT;
    COLORREF expectedBack = c.classicColours ? RGB(255, 255, 255) : CLR_DEFAULT;
    EXPECT_EQ(bar->BarColor(), expectedBar);
    EXPECT_EQ(bar->BackgroundColor(), expectedBack);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(h, PBM_GETBARCOLOR, 0, 0)), expectedBar);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(h, PBM_GETBKCOLOR, 0, 0)), expectedBack);
    EXPECT_EQ(bar->Position(), 4);
    delete bar;
  }
}

TEST(ProgressBar, MarqueeStyleRebuildsTheWindowAndKeepsTheRange) {
  auto form = hvtest::MakeHostForm();
  auto* bar = form->Add<THvProgressBar>(L"Bar", {8, 8, 200, 17});
  bar->SetRange(0, 50);
  bar->SetPosition(20);
  bar->SetMarquee(true);
  EXPECT_TRUE(GetWindowLongW(bar->Handle(), GWL_STYLE) & PBS_MARQUEE);
  bar->SetMarquee(false);
  EXPECT_FALSE(GetWindowLongW(bar->Handle(), GWL_STYLE) & PBS_MARQUEE);
  EXPECT_EQ(SendMessageW(bar->Handle(), PBM_GETRANGE, FALSE, 0), 50);
  EXPECT_EQ(bar->Position(), 20);
}

TEST(ButtonControls, Screenshot) {
  ThemedWine host(false, false);
  auto form = hvtest::MakeHostForm(260, 150);
  form->SetCaption(L"Adapted controls");
  auto* button = form->Add<THvButton>(L"B", {8, 8, 120, 25});
  button->SetText(L"Uninstall Products!");
  auto* box = form->Add<THvCheckBox>(L"C", {8, 40, 110, 30});
  box->SetText(L"Clean Out Temporary Folder");
  box->SetWordWrap(true);
  box->SetChecked(true);
  auto* radio = form->Add<THvRadioButton>(L"R", {140, 40, 110, 17});
  radio->SetText(L"Radio");
  auto* bar = form->Add<THvProgressBar>(L"P", {8, 80, 240, 17});
  bar->SetPosition(60);
  form->Show();
  hvtest::Pump();
  UpdateWindow(form->Handle());
  hvtest::SaveScreenshot(form->Handle(), L"forms2_button_controls");
  EXPECT_TRUE(box->HasMultiLineStyle());
}
