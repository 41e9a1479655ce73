#include "HvLXClock.h"

#include <cmath>
#include <limits>

#include "HvWindows.h"

namespace hv {
namespace {

class TSystemClock final : public IClock {
 public:
  std::uint32_t TickCount() override { return GetTickCount(); }

  double Now() override {
    SYSTEMTIME local;
    GetLocalTime(&local);
    FILETIME ft;
    if (!SystemTimeToFileTime(&local, &ft)) return 0;
    ULARGE_INTEGER ticks;  // 100 ns units since 1601-01-01
    ticks.LowPart = ft.dwLowDateTime;
    ticks.HighPart = ft.dwHighDateTime;
    constexpr double DaysFrom1601To1899 = 109205.0;
    return static_cast<double>(ticks.QuadPart) / (SecsPerDay * 1e7) - DaysFrom1601To1899;
  }
};

TSystemClock gSystemClock;
IClock* gClock = &gSystemClock;

}  // namespace

std::uint32_t TickCountLX() { return gClock->TickCount(); }
double NowLX() { return gClock->Now(); }

std::uint32_t MillisecondsSince(std::uint32_t tick) {
  std::uint32_t now = TickCountLX();
  if (now < tick) return std::numeric_limits<std::uint32_t>::max();
  return now - tick;
}

std::int64_t WholeSecondsBetween(double a, double b) {
  return std::llround(std::fabs(a - b) * SecsPerDay * 1000.0) / 1000;
}

ScopedClock::ScopedClock(IClock& clock) : FSaved(gClock) { gClock = &clock; }
ScopedClock::~ScopedClock() { gClock = FSaved; }

}  // namespace hv
