// The clocks behind the library's timing rules (broadcast gaps, remaining-time estimates).
// They are read through one replaceable source so tests can run those rules without sleeping.
#pragma once

#include <cstdint>

namespace hv {

class IClock {
 public:
  virtual ~IClock() = default;
  // Milliseconds since the system started; wraps around like the system tick counter.
  virtual std::uint32_t TickCount() = 0;
  // Local date-time in days since 1899-12-30 (the runtime's date-time).
  virtual double Now() = 0;
};

std::uint32_t TickCountLX();
double NowLX();

// Milliseconds from `tick` to the tick counter now; the largest value when the counter is
// below `tick` (it wrapped), so a wrapped counter never looks like "just now".
std::uint32_t MillisecondsSince(std::uint32_t tick);

// Whole seconds between two date-times. Counted through rounded milliseconds, so 16 s
// stored as a fraction of a day does not come back as 15.999... and truncate to 15.
std::int64_t WholeSecondsBetween(double a, double b);

inline constexpr double SecsPerDay = 86400.0;

// Replaces the clock source until the scope ends (test seam). Not thread-safe: install it
// before starting threads that read the clock.
class ScopedClock {
 public:
  explicit ScopedClock(IClock& clock);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  IClock* FSaved;
};

}  // namespace hv
