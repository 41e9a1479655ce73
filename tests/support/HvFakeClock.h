// A clock that moves only when a test moves it, for timing rules tested without sleeping.
#pragma once

#include <cstdint>

#include "HvLXClock.h"

namespace hvtest {

class FakeClock : public hv::IClock {
 public:
  // Starts far from 0, as a real tick counter does some time after boot.
  explicit FakeClock(std::uint32_t tick = 1'000'000, double now = 45'000.0)
      : FTick(tick), FStartDay(now) {}

  std::uint32_t TickCount() override { return FTick; }
  // Computed from whole milliseconds, so repeated steps add no rounding drift.
  double Now() override { return FStartDay + static_cast<double>(FElapsedMs) / 86'400'000.0; }

  void AdvanceMs(std::uint32_t ms) {
    FTick += ms;  // wraps like the real counter
    FElapsedMs += ms;
  }
  void AdvanceSecs(double secs) { AdvanceMs(static_cast<std::uint32_t>(secs * 1000.0 + 0.5)); }
  void SetTick(std::uint32_t tick) { FTick = tick; }

 private:
  std::uint32_t FTick;
  double FStartDay;
  std::int64_t FElapsedMs = 0;
};

// A FakeClock that the library reads for as long as the object lives.
class ScopedFakeClock : public FakeClock {
 public:
  using FakeClock::FakeClock;

 private:
  hv::ScopedClock FScope{*this};
};

}  // namespace hvtest
