// The library's shared random numbers (unique file and folder names). One generator for the
// whole process, seeded from the clock on first use and taken under its own lock, so threads
// asking at once never get the same number from a shared state torn in half.
#pragma once

#include <cstdint>
#include <functional>

namespace hv {

inline constexpr std::uint32_t kRandomRange = 2147483647;

// A uniform number from 0 to kRandomRange - 1. Raises ETimeoutException when the generator's
// lock cannot be taken within 15000 ms.
std::uint32_t SharedRandomLX();

// Test seam: numbers come from `source` (reduced below kRandomRange) until the scope ends.
class ScopedRandomSource {
 public:
  explicit ScopedRandomSource(std::function<std::uint32_t()> source);
  ~ScopedRandomSource();
  ScopedRandomSource(const ScopedRandomSource&) = delete;
  ScopedRandomSource& operator=(const ScopedRandomSource&) = delete;

 private:
  std::function<std::uint32_t()> FSaved;
};

}  // namespace hv
