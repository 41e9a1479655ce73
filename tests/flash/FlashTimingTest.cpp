// When a flash shows progress (whole percentages, the 25 ms gap) and what it estimates,
// driven by a fake clock.
#include <cmath>

#include "FlashTestSupport.h"

using namespace hv;
using hvtest::FlashTest;

TEST(MulDivRounded, RoundsHalvesAwayFromZero) {
  struct Case {
    int a, b, c, expected;
  } cases[] = {
      {1, 100, 300, 0},     {2, 100, 300, 1},     {1, 100, 200, 1},  {3, 100, 200, 2},
      {-1, 100, 200, -1},   {1, -100, 200, -1},   {1, 100, -200, -1}, {995, 100, 1000, 100},
      {2147483647, 100, 2147483647, 100},         {2147483647, 2147483647, 2147483647, 2147483647},
  };
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(MulDivRounded(cases[i].a, cases[i].b, cases[i].c), cases[i].expected) << "row " << i;
}

// Stepping through a whole total with broadcasts far apart, a display hears of exactly the
// progress values at which the rounded percentage changes; every other call only polls.
TEST_F(FlashTest, ProgressIsShownExactlyWhenTheWholePercentageChanges) {
  const int totals[] = {1, 2, 3, 7, 99, 100, 101, 199, 200, 201, 300, 1000, 1001, 4567};
  for (int total : totals) {
    SCOPED_TRACE(total);
    display.calls.clear();
    IFlash flash = CreateFlash(L"Stepping", total, true);
    display.calls.clear();
    std::vector<int> expected;
    for (int v = 1; v <= total; ++v) {
      if (std::lround(100.0 * v / total) != std::lround(100.0 * (v - 1) / total)) expected.push_back(v);
      clock.AdvanceMs(26);
      flash->StepIt();
    }
    EXPECT_EQ(display.BroadcastProgress(), expected);
    EXPECT_EQ(display.Count(hvtest::ExtenderCall::CheckCancel), total - expected.size());
  }
}

TEST_F(FlashTest, ThreeHundredStepsShowOnePercentAtTheSecondStep) {
  IFlash flash = CreateFlash(L"Files", 300);
  flash->SetProgress(1);
  EXPECT_TRUE(display.BroadcastProgress().empty());
  flash->SetProgress(2);
  EXPECT_EQ(display.BroadcastProgress(), std::vector<int>{2});
}

// Percentage changes closer than 25 ms to the last broadcast are dropped, except at 0 and at
// the total; a dropped change is not repeated later.
TEST_F(FlashTest, BroadcastsKeepA25MillisecondGapExceptAtTheEnds) {
  struct Case {
    const char* name;
    int total;
    int first;       // broadcast that sets the timestamp
    unsigned gapMs;  // then this much later
    int second;
    bool shown;
  } cases[] = {
      {"within the gap", 100, 10, 10, 11, false},
      {"exactly 25 ms", 100, 10, 25, 11, false},
      {"26 ms", 100, 10, 26, 11, true},
      {"reaching the total", 100, 10, 1, 100, true},
      {"back to zero", 100, 10, 1, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IFlash flash = CreateFlash(L"Gap", c.total);
    clock.AdvanceMs(1000);
    flash->SetProgress(c.first);
    display.calls.clear();
    clock.AdvanceMs(c.gapMs);
    flash->SetProgress(c.second);
    EXPECT_EQ(display.BroadcastProgress().size(), c.shown ? 1u : 0u);
  }
}

TEST_F(FlashTest, ADroppedHundredPercentIsNotRepeatedAtTheTotal) {
  IFlash flash = CreateFlash(L"Almost", 1000);
  flash->SetProgress(990);  // 99 %
  clock.AdvanceMs(5);
  flash->SetProgress(995);  // 100 %, dropped: too soon and not at the total
  clock.AdvanceMs(100);
  flash->SetProgress(1000);  // still 100 %: nothing new to show
  EXPECT_EQ(display.BroadcastProgress(), std::vector<int>{990});
}

TEST_F(FlashTest, AWrappedTickCounterDoesNotSuppressABroadcast) {
  IFlash flash = CreateFlash(L"Long run", 100);
  clock.SetTick(0xFFFFFFF0u);
  flash->SetProgress(10);
  clock.SetTick(5);  // wrapped 21 ms later
  flash->SetProgress(20);
  EXPECT_EQ(display.BroadcastProgress(), (std::vector<int>{10, 20}));
}

// Timing starts with the first broadcast of a known total; the estimate needs more than 15
// whole seconds of timing and more than 10 items done.
TEST_F(FlashTest, RemainingTimeIsEstimatedFromTheRateSoFar) {
  struct Case {
    double secs;
    int total, progress;
    int expected;
  } cases[] = {
      {20, 1000, 100, 180},  // a tenth done in 20 s: 180 s to go
      {16, 1000, 100, 144},
      {15.9, 1000, 100, 0},  // 15 whole seconds give no estimate
      {15, 1000, 100, 0},
      {20, 100, 10, 0},      // ten items are too few
      {20, 100, 11, 162},    // 100/11 × 20 − 20 = 161.8
      {40, 1000, 500, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.secs);
    SCOPED_TRACE(c.progress);
    IFlash flash = CreateFlash(L"Estimating", c.total);
    flash->SetProgress((c.total + 199) / 200);  // 1 %: the first broadcast starts the timing
    clock.AdvanceSecs(c.secs);
    flash->SetProgress(c.progress);
    EXPECT_EQ(flash->SecsRemaining(), c.expected);
    EXPECT_EQ(GetGlobalFlashState().Secs_Remaining, c.expected);
  }
}

TEST_F(FlashTest, ChangingTheTotalRestartsTheTiming) {
  struct Case {
    const char* name;
    void (*change)(TFlash&);
  } cases[] = {
      {"new total", [](TFlash& f) { f.SetProgressTotal(2000); }},
      {"progress past the total", [](TFlash& f) { f.SetProgress(1500); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IFlash flash = CreateFlash(L"Estimating", 1000);
    flash->SetProgress(5);
    clock.AdvanceSecs(30);
    c.change(*flash);
    clock.AdvanceSecs(10);
    flash->SetProgress(flash->ProgressTotal() / 10);
    EXPECT_EQ(flash->SecsRemaining(), 0) << "timing should have restarted";
    clock.AdvanceSecs(10);
    flash->SetProgress(flash->ProgressTotal() / 5);
    EXPECT_GT(flash->SecsRemaining(), 0);
  }
}
