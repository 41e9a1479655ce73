#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "HvExceptions.h"
#include "HvLXLocks.h"

namespace {

using hv::THvMonitor;

// Another thread takes the monitor and keeps it until release() is called.
class ForeignHolder {
 public:
  explicit ForeignHolder(THvMonitor& monitor)
      : FTaken(CreateEventW(nullptr, TRUE, FALSE, nullptr)), FRelease(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    FThread = std::thread([this, &monitor] {
      hv::LockWaitLX(&monitor);
      SetEvent(FTaken);
      WaitForSingleObject(FRelease, INFINITE);
      hv::UnlockLX(&monitor);
    });
    WaitForSingleObject(FTaken, INFINITE);
  }
  void release() {
    SetEvent(FRelease);
    if (FThread.joinable()) FThread.join();
  }
  ~ForeignHolder() {
    release();
    CloseHandle(FTaken);
    CloseHandle(FRelease);
  }

 private:
  HANDLE FTaken, FRelease;
  std::thread FThread;
};

bool FreeForOtherThreads(THvMonitor& monitor) {
  bool taken = false;
  std::thread([&] {
    taken = hv::TryLockLX(&monitor, 0);
    if (taken) hv::UnlockLX(&monitor);
  }).join();
  return taken;
}

TEST(Locks, MissingObjectIsRefusedByEveryEntry) {
  const std::pair<const char*, std::function<void()>> calls[] = {
      {"TryLockLX", [] { hv::TryLockLX(nullptr, 0); }},
      {"LockLX", [] { hv::LockLX(nullptr); }},
      {"LockWaitLX", [] { hv::LockWaitLX(nullptr); }},
  };
  for (const auto& [name, call] : calls) {
    try {
      call();
      ADD_FAILURE() << name << " accepted a missing object";
    } catch (const hv::EArgumentNilException& e) {
      EXPECT_EQ(e.Message(), L"Internal Error: The object to lock was not assigned.") << name;
    }
  }
}

TEST(Locks, ReentrantForTheHoldingThread) {
  THvMonitor monitor;
  hv::LockLX(&monitor);
  EXPECT_TRUE(hv::TryLockLX(&monitor, 0));
  {
    hv::THvLockGuard guard(monitor);
  }
  hv::UnlockLX(&monitor);
  hv::UnlockLX(&monitor);
  // Released as often as taken: free again.
  EXPECT_TRUE(FreeForOtherThreads(monitor));
}

TEST(Locks, HeldElsewhereTimesOutThenIsObtainedAfterRelease) {
  THvMonitor monitor;
  ForeignHolder holder(monitor);
  EXPECT_FALSE(hv::TryLockLX(&monitor, 0));
  try {
    hv::LockLX(&monitor, 20);
    FAIL() << "a held lock was acquired";
  } catch (const hv::ETimeoutException& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: The lock could not be acquired.");
    EXPECT_EQ(e.ClassName(), L"ETimeoutException");
  }
  holder.release();
  hv::LockWaitLX(&monitor);
  hv::UnlockLX(&monitor);
}

TEST(Locks, GuardLeavesTheLockWhenTheScopeThrows) {
  THvMonitor monitor;
  try {
    hv::THvLockGuard guard(monitor);
    throw hv::EAbort(L"");
  } catch (const hv::EAbort&) {
  }
  EXPECT_TRUE(FreeForOtherThreads(monitor));
}

}  // namespace
