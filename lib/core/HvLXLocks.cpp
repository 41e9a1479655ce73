#include "HvLXLocks.h"

#include "HvExceptions.h"

namespace hv {
namespace {
thread_local std::atomic<int> tHeldLocks{0};

THvMonitor* Assigned(THvMonitor* object) {
  if (!object) throw EArgumentNilException(L"Internal Error: The object to lock was not assigned.");
  return object;
}
}  // namespace

// A Win32 mutex: re-entrant for its owner and waitable with a time-out.
THvMonitor::THvMonitor() : FMutex(CreateMutexW(nullptr, FALSE, nullptr)) {
  if (!FMutex) RaiseLastOSError();
}

std::atomic<int>& CurrentThreadHeldLocks() { return tHeldLocks; }

bool TryLockLX(THvMonitor* object, DWORD timeoutMs) {
  switch (WaitForSingleObject(Assigned(object)->FMutex.get(), timeoutMs)) {
    case WAIT_OBJECT_0:
    // A thread ended while holding it; the lock is ours now, and refusing it would block
    // every later user for good.
    case WAIT_ABANDONED:
      ++tHeldLocks;
      return true;
    case WAIT_TIMEOUT:
      return false;
    default:
      RaiseLastOSError();
  }
}

void LockLX(THvMonitor* object, DWORD timeoutMs) {
  if (!TryLockLX(object, timeoutMs)) throw ETimeoutException(L"Internal Error: The lock could not be acquired.");
}

void LockWaitLX(THvMonitor* object) { TryLockLX(object, INFINITE); }

void UnlockLX(THvMonitor* object) {
  if (ReleaseMutex(Assigned(object)->FMutex.get())) --tHeldLocks;
}

}  // namespace hv
