// The progress window on real windows: what it shows for the flashes of the main thread,
// how it grows, how Cancel and Esc stop the work, and what comes back when it closes.
#include <gtest/gtest.h>

#include <thread>

#include "HvApplication.h"
#include "HvLXCancelableFrm.h"
#include "HvLXPendingMessages.h"
#include "HvScreen.h"
#include "FormsTestSupport.h"
#include "ProgressWndTestSupport.h"

using namespace hv;
using namespace hvtest;

namespace {

// A plain window that stands for the program's main window.
struct OwnerWindow {
  OwnerWindow() {
    form->SetCaption(L"Owner");
    form->SetClientSize96(300, 200);
    form->Show();
    Application().ProcessMessages();
  }
  ~OwnerWindow() { delete form; }
  THvFormLX* form = new THvFormLX(nullptr);
};

class CancelableFormTest : public ::testing::Test {
 protected:
  ProgressWindowScope scope;
  // Lets the window handle what is waiting at its next refresh.
  void NextProcessingDue() { scope.Clock.AdvanceMs(11); }
};

TEST_F(CancelableFormTest, GrowsThroughItsStagesAndNeverShrinks) {
  OwnerWindow owner;
  IFlash outer = CreateFlash(L"Copying files...");
  THvCancelableForm& w = Window();
  HWND h = w.Handle();
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_FALSE(IsWindowEnabled(owner.form->Handle())) << "the rest of the program waits";
  EXPECT_EQ(w.PleaseWaitLbl->Text(), L"Please Wait...");
  EXPECT_EQ(w.Message1->Text(), L"Copying files...");
  EXPECT_EQ(w.Message2->Text(), L"");
  EXPECT_EQ(w.HeightMode(), THeightMode::hmMessages);
  EXPECT_EQ(ClientHeight(h), ScaleForDpi(118));
  EXPECT_EQ(Alpha(h), 244) << "slightly see-through while it is a small note";
  EXPECT_FALSE(w.CancelBtn->Visible());
  EXPECT_FALSE(w.BottonFrame->Visible());
  EXPECT_FALSE(w.ProgressBar1->Visible());
  SaveScreenshot(h, L"progress_1_messages");

  outer->SetProgressTotal(200);
  outer->SetProgress(100);
  EXPECT_EQ(w.HeightMode(), THeightMode::hmProgress);
  EXPECT_EQ(ClientHeight(h), ScaleForDpi(165));
  EXPECT_EQ(Alpha(h), 255);
  EXPECT_TRUE(w.ProgressBar1->Visible());
  EXPECT_EQ(w.ProgressBar1->Position(), MulDivRounded(w.ProgressBar1->Max(), 1, 2));
  EXPECT_FALSE(w.ProgressBar2->Visible());
  SaveScreenshot(h, L"progress_2_bars");

  {
    IFlash inner = CreateFlash(L"Copying files...", 10, true);
    inner->SetProgress(3);
    EXPECT_EQ(w.Message2->Text(), L"") << "the same message shows once";
    EXPECT_TRUE(w.ProgressBar2->Visible());
    EXPECT_EQ(w.ProgressBar2->Position(), MulDivRounded(w.ProgressBar2->Max(), 3, 10));
    EXPECT_TRUE(w.CancelBtn->Visible());
    EXPECT_TRUE(w.BottonFrame->Visible());
    EXPECT_EQ(w.HeightMode(), THeightMode::hmCancel);
    EXPECT_EQ(ClientHeight(h), ScaleForDpi(217));
    SaveScreenshot(h, L"progress_3_cancel");
  }
  // The inner flash is gone: its bar and Cancel go, the size stays.
  EXPECT_EQ(CancelableForm(), &w);
  EXPECT_FALSE(w.CancelBtn->Visible());
  EXPECT_FALSE(w.ProgressBar2->Visible());
  EXPECT_EQ(w.HeightMode(), THeightMode::hmCancel);
  EXPECT_EQ(ClientHeight(h), ScaleForDpi(217));
  outer->SetProgressTotal(0);
  EXPECT_EQ(ClientHeight(h), ScaleForDpi(217));
  EXPECT_EQ(Alpha(h), 255);

  outer.reset();
  EXPECT_EQ(CancelableForm(), nullptr);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_TRUE(IsWindowEnabled(owner.form->Handle()));
  EXPECT_EQ(GetActiveWindow(), owner.form->Handle()) << "the window active before is active again";
}

TEST_F(CancelableFormTest, CancellableFlashShowsCancelAtOnceAndAMarqueeWhileTheTotalIsUnknown) {
  IFlash flash = CreateFlash(L"Cleaning out temporary folder...", 0, true);
  THvCancelableForm& w = Window();
  EXPECT_TRUE(w.CancelBtn->Visible());
  EXPECT_TRUE(w.BottonFrame->Visible());
  EXPECT_EQ(w.HeightMode(), THeightMode::hmCancel);
  EXPECT_FALSE(w.ProgressBar1->Visible()) << "no bar before any progress is reported";

  flash->SetProgress(5);  // total becomes 100
  EXPECT_TRUE(w.ProgressBar1->Visible());
  EXPECT_FALSE(w.ProgressBar1->Marquee());
  flash->SetProgressTotal(0);
  EXPECT_TRUE(w.ProgressBar1->Visible());
  EXPECT_TRUE(w.ProgressBar1->Marquee());
  flash->SetProgressTotal(40);
  scope.Clock.AdvanceMs(26);  // past the flash's gap between progress reports
  flash->SetProgress(20);
  EXPECT_FALSE(w.ProgressBar1->Marquee());
  EXPECT_EQ(w.ProgressBar1->Position(), MulDivRounded(w.ProgressBar1->Max(), 1, 2));
}

TEST_F(CancelableFormTest, PictureMovesTheFirstMessageLineAside) {
  IFlash flash = CreateFlash(L"Reading");
  THvCancelableForm& w = Window();
  EXPECT_FALSE(w.Image1->Visible());
  EXPECT_EQ(w.Message1->BoundsRect().left, ScaleForDpi(15));

  TPicture picture;
  HDC screen = GetDC(nullptr);
  picture.SetBitmap(CreateCompatibleBitmap(screen, 16, 16));
  ReleaseDC(nullptr, screen);
  flash->SetPicture(&picture);
  EXPECT_TRUE(w.Image1->Visible());
  RECT line = w.Message1->BoundsRect();
  EXPECT_EQ(line.left, ScaleForDpi(64));
  EXPECT_EQ(line.right, ScaleForDpi(434 - 8));

  flash->SetPicture(nullptr);
  EXPECT_FALSE(w.Image1->Visible());
  EXPECT_EQ(w.Message1->BoundsRect().left, ScaleForDpi(15));
}

// Both ways of pressing Cancel; the press turns into one abort at the next flash call.
TEST_F(CancelableFormTest, CancelAndEscapeRaiseOneAbortPerWindow) {
  struct Case {
    const char* name;
    void (*press)(THvCancelableForm&);
  };
  const Case cases[] = {
      {"click", [](THvCancelableForm& w) { PostClick(*w.CancelBtn); }},
      {"Esc", [](THvCancelableForm& w) { PostEscape(w); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IFlash flash = CreateFlash(L"Deleting", 100, true);
    THvCancelableForm& w = Window();
    c.press(w);
    // Messages wait until 10 ms have passed since the last processing.
    EXPECT_NO_THROW(flash->CheckCancel());
    EXPECT_FALSE(w.CancelPressed());
    NextProcessingDue();
    EXPECT_THROW(flash->CheckCancel(), EAbort);
    // Clean-up code that still reports progress is not interrupted again, even by a second press.
    c.press(w);
    NextProcessingDue();
    EXPECT_NO_THROW(flash->CheckCancel());
    NextProcessingDue();
    EXPECT_NO_THROW(flash->StepIt());
  }
  // A new window starts without a press.
  IFlash flash = CreateFlash(L"Again", 100, true);
  NextProcessingDue();
  EXPECT_NO_THROW(flash->CheckCancel());
}

TEST_F(CancelableFormTest, MessagesAreHandledBeforeQueuedCallsAndTheCancelCheckComesLast) {
  IFlash flash = CreateFlash(L"Working", 0, true);
  THvCancelableForm& w = Window();
  PostClick(*w.CancelBtn);
  bool pressSeenByQueuedCall = false;
  bool queuedCallRan = false;
  std::thread worker([&] {
    QueueMainThreadCall([&] {
      queuedCallRan = true;
      pressSeenByQueuedCall = w.CancelPressed();
    });
  });
  worker.join();
  NextProcessingDue();
  EXPECT_THROW(flash->CheckCancel(), EAbort);
  EXPECT_TRUE(queuedCallRan);
  EXPECT_TRUE(pressSeenByQueuedCall);
}

TEST_F(CancelableFormTest, PressSeenByANonCancellableFlashWaitsForACancellableOne) {
  IFlash outer = CreateFlash(L"Outer", 100, false);
  IFlash inner = CreateFlash(L"Inner", 100, true);
  THvCancelableForm& w = Window();
  PostClick(*w.CancelBtn);
  NextProcessingDue();
  EXPECT_NO_THROW(outer->SetMessage(L"Outer, step 2"));
  EXPECT_TRUE(w.CancelPressed());
  NextProcessingDue();
  EXPECT_THROW(inner->CheckCancel(), EAbort);
}

TEST_F(CancelableFormTest, PressIsNotLostWhenAnInnerFlashEndsFirst) {
  IFlash outer = CreateFlash(L"Outer", 0, true);
  IFlash inner = CreateFlash(L"Inner", 0, true);
  PostClick(*Window().CancelBtn);
  NextProcessingDue();
  inner.reset();  // its last refresh sees the press but cannot raise
  NextProcessingDue();
  EXPECT_THROW(outer->CheckCancel(), EAbort);
}

TEST_F(CancelableFormTest, RemainingTimeFollowsTheEstimateAndKeepsANearlyDoneNoteClosed) {
  // Driven with states directly: the rule depends on what the band showed before.
  AcquireCancelableForm();
  THvCancelableForm& w = Window();
  struct Step {
    int secs;
    const wchar_t* caption;
    bool band;
  };
  const Step steps[] = {
      {3, L"", false},                            // nearly done: no band just for that
      {4, L"About 4 seconds remaining", true},
      {3, L"About 3 seconds remaining", true},    // the band is open already
      {180, L"About 3 minutes remaining", true},
      {0, L"", false},
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    TGlobalFlashState state;
    state.Msg1 = L"Copying";
    state.Prog1 = 50;
    state.Prog1_Total = 100;
    state.Secs_Remaining = steps[i].secs;
    scope.Clock.AdvanceMs(1001);
    w.UpdateState(state, TFlashUpdateType::ftProgress, false);
    EXPECT_EQ(w.EstTimeLbl->Text(), steps[i].caption);
    EXPECT_EQ(w.BottonFrame->Visible(), steps[i].band);
  }
  // At most one new text per second.
  TGlobalFlashState state;
  state.Prog1_Total = 100;
  state.Secs_Remaining = 600;
  scope.Clock.AdvanceMs(1000);
  w.UpdateState(state, TFlashUpdateType::ftProgress, false);
  EXPECT_EQ(w.EstTimeLbl->Text(), L"");
  scope.Clock.AdvanceMs(1);
  w.UpdateState(state, TFlashUpdateType::ftProgress, false);
  EXPECT_EQ(w.EstTimeLbl->Text(), L"About 10 minutes remaining");
  ReleaseCancelableForm();
  EXPECT_EQ(CancelableForm(), nullptr);
}

TEST_F(CancelableFormTest, EstimateOfARealFlashReachesTheWindow) {
  IFlash flash = CreateFlash(L"Copying", 1000);
  flash->SetProgress(10);  // the first whole percent starts the timing
  scope.Clock.AdvanceSecs(20);
  flash->SetProgress(100);  // 180 s to go
  EXPECT_EQ(Window().EstTimeLbl->Text(), L"About 3 minutes remaining");
  EXPECT_EQ(Window().HeightMode(), THeightMode::hmCancel);
}

TEST(RemainingTimeText, Table) {
  const struct {
    int secs;
    const wchar_t* text;
  } cases[] = {
      {-5, L""},
      {0, L""},
      {1, L"About 1 second remaining"},
      {2, L"About 2 seconds remaining"},
      {59, L"About 59 seconds remaining"},
      {60, L"About 1 minute remaining"},
      {90, L"About 1 minute remaining"},
      {119, L"About 1 minute remaining"},
      {120, L"About 2 minutes remaining"},
      {3599, L"About 59 minutes remaining"},
      {3600, L"About 1 hour remaining"},
      {3661, L"About 1 hour remaining"},
      {7199, L"About 1 hour remaining"},
      {7200, L"About 2 hours remaining"},
      {43200, L"About 12 hours remaining"},
      {46799, L"About 12 hours remaining"},
      {46800, L"More than 12 hours remaining"},
  };
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(RemainingTimeText(cases[i].secs), cases[i].text) << "row " << i << ", " << cases[i].secs << " s";
}

TEST(SharedCancelableForm, MisuseRaisesAssertionsAndLeavesTheCountAsItWas) {
  EXPECT_THROW(ReleaseCancelableForm(), EAssertionFailed);
  bool raised = false;
  std::thread worker([&] {
    try {
      THvVisualFlashExtender::CreateFlashExtender(nullptr, true);
    } catch (const EAssertionFailed&) {
      raised = true;
    }
  });
  worker.join();
  EXPECT_TRUE(raised);
  // Nothing was counted for the failed call: the next first extender makes the window.
  AcquireCancelableForm();
  EXPECT_NE(CancelableForm(), nullptr);
  ReleaseCancelableForm();
  EXPECT_EQ(CancelableForm(), nullptr);
}

}  // namespace
