// Page controls and spin edits under Wine: arrow keys page through the visible tabs (at the
// ends they go on to the control's own key handling); spin edits are drawn classically; an
// edit's length limit.
#include <gtest/gtest.h>

#include "Forms2Support.h"
#include "FormsTestSupport.h"
#include "HvControlRecreate.h"
#include "HvLXComCtrls.h"
#include "HvLXPasswordEdit.h"
#include "HvLXStdCtrls.h"

using namespace hv;

TEST(HvPageControl, ArrowKeysPageThroughVisibleTabsAndPassAtTheEnds) {
  ScopedHostPins host({.wine = true, .wineTricks = true});
  auto form = hvtest::MakeHostForm();
  auto* pages = form->Add<THvPageControl>(L"Pages", {8, 8, 300, 150});
  for (const wchar_t* caption : {L"General", L"Hidden", L"Proxy", L"Advanced"}) pages->AddPage(caption);
  pages->SetTabVisible(1, false);
  int passed = 0;
  pages->OnKeyDown = [&](TPageControl&, WORD&) { ++passed; };
  auto press = [&](WORD key) { SendMessageW(pages->Handle(), WM_KEYDOWN, key, 0); };
  struct Case {
    int from;
    WORD key;
    int to;
    bool reachesControl;
  } cases[] = {
      {0, VK_LEFT, 0, true},    // first page: the control's own handling
      {0, VK_RIGHT, 2, false},  // the hidden page is skipped
      {2, VK_LEFT, 0, false},
      {2, VK_RIGHT, 3, false},
      {3, VK_RIGHT, 3, true},  // last page
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "from " << c.from << " key " << c.key);
    pages->SetActivePageIndex(c.from);
    passed = 0;
    press(c.key);
    EXPECT_EQ(pages->ActivePageIndex(), c.to);
    EXPECT_EQ(passed, c.reachesControl ? 1 : 0);
    int tab = static_cast<int>(SendMessageW(pages->Handle(), TCM_GETCURSEL, 0, 0));
    EXPECT_EQ(tab, c.to == 0 ? 0 : c.to - 1) << "the tab row shows the active page";
  }
  // Without the workaround every key goes to the control.
  ScopedHostPins windows({.wine = false});
  pages->SetActivePageIndex(2);
  passed = 0;
  press(VK_LEFT);
  EXPECT_EQ(passed, 1);
}

TEST(HvSpinEdit, ClassicDrawingUnderThemedWineTakesEffectWithTheDeferredRepaint) {
  auto form = hvtest::MakeHostForm();
  for (bool fix : {true, false}) {
    SCOPED_TRACE(fix ? "themed Wine" : "elsewhere");
    hvtest::ThemedWine host(fix, fix);
    auto* spin = form->Add<THvSpinEdit>(L"Spin", {8, 8, 80, 21});
    HWND h = spin->Handle();
    ASSERT_NE(spin->UpDownHandle(), nullptr);
    hvtest::MarkPainted(h);
    EXPECT_EQ(hvtest::DispatchPosted(h, WM_DEFERRED_INVALIDATE()), fix);
    EXPECT_EQ(hvtest::IsInvalidated(h), fix);
    HWND arrows = spin->UpDownHandle();
    delete spin;
    EXPECT_FALSE(IsWindow(arrows)) << "the arrows go with their edit";
  }
}

TEST(HvSpinEdit, ValueStaysInRange) {
  auto form = hvtest::MakeHostForm();
  auto* spin = form->Add<THvSpinEdit>(L"Spin", {8, 8, 80, 21});
  spin->SetRange(1, 10);
  struct Case {
    int set, expected;
  } cases[] = {{5, 5}, {0, 1}, {11, 10}, {-100, 1}};
  for (const Case& c : cases) {
    spin->SetValue(c.set);
    EXPECT_EQ(spin->Value(), c.expected) << c.set;
  }
  spin->SetValue(7);
  SendMessageW(spin->Handle(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(spin->Value(), 8) << "the arrow keys step the value";
}

TEST(CommonControls, Screenshot) {
  auto form = hvtest::MakeHostForm(330, 200);
  form->SetCaption(L"More adapted controls");
  auto* pages = form->Add<THvPageControl>(L"Pages", {8, 8, 314, 90});
  for (const wchar_t* caption : {L"Connection", L"Proxy", L"Advanced"}) pages->AddPage(caption);
  pages->SetActivePageIndex(1);
  auto* spin = form->Add<THvSpinEdit>(L"Spin", {8, 108, 70, 21});
  spin->SetRange(0, 65535);
  spin->SetValue(8080);
  auto* password = form->Add<THvPasswordEdit>(L"Password", {100, 108, 150, 21});
  password->SetText(L"secret");
  auto* bar = form->Add<THvProgressBar>(L"Bar", {8, 140, 314, 17});
  bar->SetMarquee(true);
  hvtest::Pump();
  hvtest::SaveScreenshot(form->Handle(), L"forms2_common_controls");
  EXPECT_EQ(password->Text(), L"secret");
  EXPECT_EQ(spin->Text(), L"8080");
}

// A length limit belongs to the edit, not to its window: a window made again, as a style change
// or a change of the system's colours makes it, keeps it, and typing stops there.
TEST(TEdit, TheLengthLimitOutlivesItsWindow) {
  auto form = hvtest::MakeHostForm();
  auto* edit = form->Add<TEdit>(L"Url", {8, 8, 200, 21});
  edit->SetMaxLength(240);
  EXPECT_EQ(SendMessageW(edit->Handle(), EM_GETLIMITTEXT, 0, 0), 240);
  RecreateControlWindow(*edit);
  EXPECT_EQ(SendMessageW(edit->Handle(), EM_GETLIMITTEXT, 0, 0), 240);
  for (int i = 0; i < 250; ++i) SendMessageW(edit->Handle(), WM_CHAR, L'a', 1);
  EXPECT_EQ(edit->Text().size(), 240u);
}
