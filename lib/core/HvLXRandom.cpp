#include "HvLXRandom.h"

#include <optional>
#include <random>
#include <utility>

#include "HvLXLocks.h"
#include "HvWindows.h"

namespace hv {
namespace {

struct TSharedRandom {
  THvMonitor lock;
  std::optional<std::mt19937> generator;
  std::function<std::uint32_t()> replacement;
};

TSharedRandom& Shared() {
  static TSharedRandom shared;
  return shared;
}

std::uint32_t ClockSeed() {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  return static_cast<std::uint32_t>(counter.QuadPart) ^ static_cast<std::uint32_t>(counter.QuadPart >> 32) ^
         GetTickCount();
}

}  // namespace

std::uint32_t SharedRandomLX() {
  TSharedRandom& shared = Shared();
  THvLockGuard guard(shared.lock);
  if (shared.replacement) return shared.replacement() % kRandomRange;
  if (!shared.generator) shared.generator.emplace(ClockSeed());
  return std::uniform_int_distribution<std::uint32_t>(0, kRandomRange - 1)(*shared.generator);
}

ScopedRandomSource::ScopedRandomSource(std::function<std::uint32_t()> source) {
  TSharedRandom& shared = Shared();
  THvLockGuard guard(shared.lock);
  FSaved = std::exchange(shared.replacement, std::move(source));
}

ScopedRandomSource::~ScopedRandomSource() {
  // A destructor may not raise: wait for the lock as long as it takes.
  TSharedRandom& shared = Shared();
  LockWaitLX(&shared.lock);
  shared.replacement = std::move(FSaved);
  UnlockLX(&shared.lock);
}

}  // namespace hv
