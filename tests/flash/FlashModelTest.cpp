// Creation, counts, messages, cancellation, nesting and the end of a flash.
#include <functional>

#include "FlashTestSupport.h"
#include "HvLXResStrings.h"
#include "HvLXWait.h"

using namespace hv;
using hvtest::ExtenderCall;
using hvtest::FlashTest;

TEST_F(FlashTest, CreateFlashSetsWhatItIsGivenAndPollsOnlyWhenCancellable) {
  struct Case {
    int total;
    bool cancellable;
    int expectedPolls;
  } cases[] = {{0, false, 0}, {0, true, 1}, {40, false, 0},
               {40, true, 2}};  // setting a total that leaves 0 % unchanged polls too
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    display.calls.clear();
    display.cancelRequested = false;
    IFlash flash = CreateFlash(L"Working", cases[i].total, cases[i].cancellable);
    EXPECT_EQ(flash->Message(), L"Working");
    EXPECT_EQ(flash->ProgressTotal(), cases[i].total);
    EXPECT_EQ(flash->Progress(), 0);
    EXPECT_EQ(display.Count(ExtenderCall::CheckCancel), static_cast<size_t>(cases[i].expectedPolls));
    ASSERT_EQ(display.Count(ExtenderCall::Message), 1u);
    EXPECT_EQ(display.calls[0].message, L"Working");
  }
}

TEST_F(FlashTest, CountsKeepProgressWithinTheTotal) {
  // Each row: a sequence of assignments, then the progress and total it must leave.
  struct Step {
    bool total;  // false: Progress := value
    int value;
  };
  struct Case {
    std::vector<Step> steps;
    int progress, total;
  } cases[] = {
      {{{false, 5}}, 5, 100},                   // progress without a total makes one of 100
      {{{false, 5}, {false, 250}}, 250, 250},   // progress past the total raises it
      {{{true, 50}, {false, 40}, {true, 30}}, 30, 30},  // lowering the total below progress
      {{{true, 50}, {false, 40}, {true, 0}}, 0, 0},     // back to "no progress known"
      {{{true, 50}, {false, 40}, {true, 80}}, 40, 80},  // raising the total keeps progress
      {{{false, 0}}, 0, 0},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    IFlash flash = CreateFlash(L"Counting");
    for (const Step& s : cases[i].steps) s.total ? flash->SetProgressTotal(s.value) : flash->SetProgress(s.value);
    EXPECT_EQ(flash->Progress(), cases[i].progress);
    EXPECT_EQ(flash->ProgressTotal(), cases[i].total);
  }
}

TEST_F(FlashTest, NegativeCountsAreProgrammingErrorsThatChangeNothing) {
  IFlash flash = CreateFlash(L"Counting", 10);
  flash->SetProgress(3);
  EXPECT_THROW(flash->SetProgress(-1), EAssertionFailed);
  EXPECT_THROW(flash->SetProgressTotal(-1), EAssertionFailed);
  EXPECT_EQ(flash->Progress(), 3);
  EXPECT_EQ(flash->ProgressTotal(), 10);
}

TEST_F(FlashTest, AnUnchangedMessageIsNotShownAgainButStillPolls) {
  IFlash plain = CreateFlash(L"A");
  plain->SetMessage(L"A");
  plain->SetMessage(L"B");
  plain->SetMessage(L"B");
  EXPECT_EQ(display.Count(ExtenderCall::Message), 2u);
  EXPECT_EQ(display.Count(ExtenderCall::CheckCancel), 0u);

  display.calls.clear();
  IFlash cancellable = CreateFlash(L"A", 0, true);
  size_t pollsAfterCreate = display.Count(ExtenderCall::CheckCancel);
  cancellable->SetMessage(L"A");
  EXPECT_EQ(display.Count(ExtenderCall::Message), 1u);
  EXPECT_EQ(display.Count(ExtenderCall::CheckCancel), pollsAfterCreate + 1);
}

TEST_F(FlashTest, CheckCancelOnAFlashThatMayNotBeCancelledIsAnInternalError) {
  IFlash flash = CreateFlash(L"Not cancellable");
  try {
    flash->CheckCancel();
    FAIL() << "no exception";
  } catch (const EHvInternalError& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: CheckCancel is not enabled.");
  }
}

// Every call on a cancellable flash is a point where the user's cancel arrives, whether the
// call is shown (a new percentage) or only polls.
TEST_F(FlashTest, CancelArrivesAtEveryKindOfCall) {
  struct Case {
    const char* name;
    std::function<void(TFlash&)> call;
  } cases[] = {
      {"CheckCancel", [](TFlash& f) { f.CheckCancel(); }},
      {"same message", [](TFlash& f) { f.SetMessage(L"Deleting"); }},
      {"step within a percentage", [](TFlash& f) { f.StepIt(); }},
      {"same total", [](TFlash& f) { f.SetProgressTotal(1000); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    display.calls.clear();
    display.cancelRequested = false;
    IFlash flash = CreateFlash(L"Deleting", 1000, true);
    display.cancelRequested = true;
    EXPECT_THROW(c.call(*flash), EAbort);
  }
}

TEST_F(FlashTest, CancelUnwindsTheWorkAndEndsItsFlash) {
  std::weak_ptr<TFlash> seen;
  int deleted = 0;
  auto work = [&] {
    IFlash flash = CreateFlash(L"Cleaning out temporary folder...", 0, true);
    seen = flash;
    flash->SetProgressTotal(500);
    for (int i = 0; i < 500; ++i) {
      if (i == 120) display.cancelRequested = true;  // the user presses Cancel here
      flash->StepIt();
      ++deleted;
    }
  };
  EXPECT_THROW(work(), EAbort);
  EXPECT_EQ(deleted, 120);
  EXPECT_TRUE(seen.expired());
  EXPECT_EQ(display.liveExtenders, 0);
  EXPECT_EQ(GetGlobalFlashState().Msg1, L"");
  EXPECT_EQ(WaitCount(), 0);
}

TEST_F(FlashTest, AnyExceptionEndsTheFlashItsDisplayAndItsWaitScope) {
  auto work = [&] {
    IFlash outer = CreateFlash(L"Outer", 10);
    IFlash inner = CreateFlash(L"Inner", 10);
    EXPECT_EQ(WaitCount(), 2);
    EXPECT_EQ(display.liveExtenders, 2);
    throw std::runtime_error("disk gone");
  };
  EXPECT_THROW(work(), std::runtime_error);
  EXPECT_EQ(WaitCount(), 0);
  EXPECT_EQ(display.liveExtenders, 0);
  TGlobalFlashState state = GetGlobalFlashState();
  EXPECT_TRUE(state.Msg1.empty());
  EXPECT_EQ(state.Prog1_Total, 0);
}

TEST_F(FlashTest, AFactoryThatFailsLeavesAWorkingFlashWithoutDisplay) {
  display.factoryFails = true;
  IFlash flash = CreateFlash(L"Quiet", 10, true);
  flash->StepIt();
  flash->CheckCancel();
  EXPECT_EQ(flash->Progress(), 1);
  EXPECT_TRUE(display.calls.empty());
  EXPECT_EQ(GetGlobalFlashState().Msg1, L"Quiet");
}

TEST_F(FlashTest, NestedFlashesAddASecondLineAndBar) {
  IFlash outer = CreateFlash(L"A", 10, false);
  outer->SetProgress(4);
  IFlash inner = CreateFlash(L"B", 20, true);
  inner->SetProgress(15);
  IFlash waiting = CreateFlash(SPleaseWait);  // says nothing of its own

  TGlobalFlashState state = GetGlobalFlashState();
  EXPECT_EQ(state.Msg1, L"A");
  EXPECT_EQ(state.Msg2, L"B");
  EXPECT_EQ(state.Prog1, 4);
  EXPECT_EQ(state.Prog1_Total, 10);
  EXPECT_EQ(state.Prog2, 15);
  EXPECT_EQ(state.Prog2_Total, 20);
  EXPECT_TRUE(state.ShowCancel);

  EXPECT_EQ(outer->Level(), 1);
  EXPECT_EQ(inner->Level(), 2);
  EXPECT_EQ(waiting->Level(), 3);
  for (const auto& c : display.Of(ExtenderCall::Progress)) EXPECT_EQ(c.level, c.total == 10 ? 1 : 2);

  inner.reset();
  state = GetGlobalFlashState();
  EXPECT_EQ(state.Msg2, L"");
  EXPECT_EQ(state.Prog2_Total, 0);
  EXPECT_FALSE(state.ShowCancel);
}

TEST_F(FlashTest, LevelsCountLiveFlashesAndAreNotRenumbered) {
  IFlash outer = CreateFlash(L"Outer");
  IFlash inner = CreateFlash(L"Inner");
  outer.reset();
  EXPECT_EQ(inner->Level(), 2);
  IFlash next = CreateFlash(L"Next");
  EXPECT_EQ(next->Level(), 2);
  next.reset();
  inner.reset();
  EXPECT_EQ(CreateFlash(L"Alone")->Level(), 1);
}

// A display built on TCustomFlashExtender that keeps what it would show at each update.
class SnapshotExtender : public TCustomFlashExtender {
 public:
  struct Update {
    TFlashUpdateType type;
    TGlobalFlashState state;
  };
  explicit SnapshotExtender(std::vector<Update>& updates) : FUpdates(updates) {}

 protected:
  void DoUpdate(TFlashUpdateType type) override { FUpdates.push_back({type, GetGlobalFlashState()}); }

 private:
  std::vector<Update>& FUpdates;
};

TEST_F(FlashTest, CustomExtenderRedrawsAllFlashesAndRefreshesWhenOneEnds) {
  static std::vector<SnapshotExtender::Update> updates;
  updates.clear();
  SetFlashExtenderFactory([](void*, bool) -> std::shared_ptr<IFlashExtender> {
    return TCustomFlashExtender::Make<SnapshotExtender>(updates);
  });
  IFlash outer = CreateFlash(L"Outer", 10, true);
  IFlash inner = CreateFlash(L"Inner", 0, false);
  inner->SetProgress(50);
  ASSERT_GE(updates.size(), 4u);
  EXPECT_EQ(updates[0].type, TFlashUpdateType::ftMessage);
  EXPECT_EQ(updates[1].type, TFlashUpdateType::ftCheckCancel);
  EXPECT_EQ(updates.back().type, TFlashUpdateType::ftProgress);
  EXPECT_EQ(updates.back().state.Msg2, L"Inner");
  EXPECT_EQ(updates.back().state.Prog2, 50);

  inner.reset();
  EXPECT_EQ(updates.back().type, TFlashUpdateType::ftAll);
  EXPECT_EQ(updates.back().state.Msg1, L"Outer");
  EXPECT_EQ(updates.back().state.Msg2, L"");
  EXPECT_EQ(updates.back().state.Prog2_Total, 0);
  outer.reset();
  EXPECT_EQ(updates.back().type, TFlashUpdateType::ftAll);
  EXPECT_TRUE(updates.back().state.Msg1.empty());
}

// The final refresh of a display may fail (a window that is already gone); the flash still
// ends cleanly, also while another exception unwinds.
class FailingOnReleaseExtender : public TCustomFlashExtender {
 public:
  static inline int released = 0;
  ~FailingOnReleaseExtender() override { ++released; }

 protected:
  void DoUpdate(TFlashUpdateType type) override {
    if (type == TFlashUpdateType::ftAll) throw EAbort(L"Operation aborted");
  }
};

TEST_F(FlashTest, AFailingFinalRefreshDoesNotEscapeTheEndOfAFlash) {
  FailingOnReleaseExtender::released = 0;
  SetFlashExtenderFactory([](void*, bool) -> std::shared_ptr<IFlashExtender> {
    return TCustomFlashExtender::Make<FailingOnReleaseExtender>();
  });
  EXPECT_NO_THROW(CreateFlash(L"Ends quietly"));
  EXPECT_THROW(
      {
        IFlash flash = CreateFlash(L"Unwinding");
        throw std::runtime_error("work failed");
      },
      std::runtime_error);
  EXPECT_EQ(FailingOnReleaseExtender::released, 2);
  EXPECT_EQ(WaitCount(), 0);
}

TEST_F(FlashTest, FactoryChangesReachOnlyLaterFlashes) {
  IFlash shown = CreateFlash(L"Shown");
  SetFlashExtenderFactory(nullptr);
  IFlash hidden = CreateFlash(L"Hidden");
  shown->SetMessage(L"Still shown");
  hidden->SetMessage(L"Still hidden");
  EXPECT_EQ(display.extendersMade, 1);
  EXPECT_EQ(display.Of(ExtenderCall::Message).back().message, L"Still shown");
}
