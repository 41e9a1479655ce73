// Calls handed to the main thread: they run there while it pumps messages, and while it
// waits for the very thread that handed them over, so neither waits for the other for ever.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "HvExceptions.h"
#include "HvLXMainThreadCalls.h"
#include "HvLXManagedThreads.h"
#include "HvLXThreadCheck.h"

using namespace hv;

namespace {

// Waits until it is asked to stop, then hands one call to the main thread and records that
// the call came back.
class TCallsBackWhenStopping : public _TCoreManagedThread {
 public:
  ~TCallsBackWhenStopping() override { StopAndWait(); }
  std::atomic<bool> running{false}, calledBack{false};
  std::atomic<DWORD> ranOn{0};

 protected:
  void Execute() override {
    running = true;
    while (!Terminated()) Sleep(1);
    RunInMainThread([this] { ranOn = GetCurrentThreadId(); });
    calledBack = true;
  }
};

void WaitUntilRunning(const TCallsBackWhenStopping& thread) {
  while (!thread.running) Sleep(1);
}

}  // namespace

TEST(MainThreadCalls, RunOnTheMainThreadWhileItPumpsMessagesAndCarryTheirExceptionsBack) {
  const DWORD mainThread = GetCurrentThreadId();
  std::atomic<DWORD> ranOn{0};
  std::atomic<bool> done{false};
  bool failureCameBack = false;
  std::thread worker([&] {
    RunInMainThread([&] { ranOn = GetCurrentThreadId(); });
    try {
      RunInMainThread([] { throw EHvGeneralError(L"on the main thread"); });
    } catch (const EHvGeneralError& e) {
      failureCameBack = e.Message() == L"on the main thread";
    }
    done = true;
  });
  MSG msg;
  while (!done) {
    // An ordinary message loop: the calls arrive as messages.
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT) == WAIT_OBJECT_0)
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  worker.join();
  EXPECT_EQ(ranOn, mainThread);
  EXPECT_TRUE(failureCameBack);

  DWORD here = 0;
  RunInMainThread([&] { here = GetCurrentThreadId(); });
  EXPECT_EQ(here, mainThread) << "on the main thread it runs at once";
}

TEST(MainThreadCalls, AnOwnerWaitingForTheThreadServesItsCall) {
  TCallsBackWhenStopping thread;
  thread.Start();
  WaitUntilRunning(thread);
  thread.StopAndWait();
  EXPECT_TRUE(thread.calledBack);
  EXPECT_EQ(thread.ranOn, GetCurrentThreadId());
}

TEST(MainThreadCalls, TheShutdownServesTheCallsOfTheThreadsItWaitsFor) {
  // Were the call not served, the thread would still be waiting when the grace period ended
  // and would be ended by force before it came back.
  auto* thread = new TCallsBackWhenStopping;
  thread->Start();
  WaitUntilRunning(*thread);
  TerminateManagedThreads();
  EXPECT_TRUE(thread->calledBack);
  EXPECT_EQ(thread->ranOn, GetCurrentThreadId());
  delete thread;
}

namespace {

std::atomic<bool> gAbandonedCallRan{false};

// Hands a call to the main thread and waits for it; the main thread never serves it.
class TWaitsForTheMainThread : public _TCoreManagedThread {
 public:
  std::atomic<bool> asking{false};

 protected:
  void Execute() override {
    asking = true;
    RunInMainThread([] { gAbandonedCallRan = true; });
  }
};

}  // namespace

TEST(MainThreadCalls, TheCallOfAThreadEndedByForceNeverRuns) {
  // Its request lies on its stack, which goes with it: run later, it would read freed memory.
  auto* waiting = new TWaitsForTheMainThread;
  waiting->SetFreeOnTerminate(true);
  waiting->Start();
  for (const DWORD start = GetTickCount(); !waiting->asking && GetTickCount() - start < 10000;) Sleep(1);
  Sleep(200);  // inside its wait
  // A shutdown on another thread serves no calls: the thread does not end, and is ended by force.
  std::thread shutdown([] { TerminateManagedThreads(); });
  shutdown.join();
  EXPECT_FALSE(CheckSynchronize()) << "a call of the ended thread was still queued";
  EXPECT_FALSE(gAbandonedCallRan);
}
