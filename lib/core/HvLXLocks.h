// Locks taken with a time-out. A process-wide structure embeds a THvMonitor and every user
// takes it through LockLX, so a lock that is never released shows up as an exception after
// the time-out instead of a silent hang. Monitors are re-entrant for the holding thread.
#pragma once

#include <atomic>

#include "HvHandles.h"
#include "HvWindows.h"

namespace hv {

inline constexpr DWORD kDefaultLockTimeoutMs = 15000;

class THvMonitor {
 public:
  THvMonitor();
  THvMonitor(const THvMonitor&) = delete;
  THvMonitor& operator=(const THvMonitor&) = delete;

 private:
  friend bool TryLockLX(THvMonitor* object, DWORD timeoutMs);
  friend void UnlockLX(THvMonitor* object);
  UniqueKernelHandle FMutex;
};

// Waits at most timeoutMs (INFINITE waits for ever); false when the time ran out.
// A null object raises EArgumentNilException.
bool TryLockLX(THvMonitor* object, DWORD timeoutMs);
// As TryLockLX, raising ETimeoutException when the time runs out.
void LockLX(THvMonitor* object, DWORD timeoutMs = kDefaultLockTimeoutMs);
// Waits without a time limit.
void LockWaitLX(THvMonitor* object);
void UnlockLX(THvMonitor* object);

// How many library locks the calling thread holds now, nested entries counted. The shutdown
// of managed threads reads another thread's count (through the address its thread took) while
// that thread is suspended, so it never ends a thread by force half-way through a guarded change.
std::atomic<int>& CurrentThreadHeldLocks();

// Holds a monitor for a scope: the lock is left on every path out of it.
class [[nodiscard]] THvLockGuard {
 public:
  explicit THvLockGuard(THvMonitor& monitor, DWORD timeoutMs = kDefaultLockTimeoutMs) : FMonitor(&monitor) {
    LockLX(FMonitor, timeoutMs);
  }
  ~THvLockGuard() { UnlockLX(FMonitor); }
  THvLockGuard(const THvLockGuard&) = delete;
  THvLockGuard& operator=(const THvLockGuard&) = delete;

 private:
  THvMonitor* FMonitor;
};

}  // namespace hv
