// Managed threads stop when asked: at their own checks, at progress calls, and when their
// owner or the shutdown waits for them.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "HvLXFlash.h"
#include "HvLXManagedThreads.h"
#include "HvLXThreadCheck.h"

using namespace hv;

namespace {

// Works until told to stop, checking in between; or, with `throughProgress`, reports progress
// instead and lets the progress call do the checking.
class TPollingThread : public _TCoreManagedThread {
 public:
  explicit TPollingThread(bool throughProgress = false, bool quiet = false)
      : _TCoreManagedThread(quiet), FThroughProgress(throughProgress) {}
  ~TPollingThread() override { StopAndWait(); }
  std::atomic<int> rounds{0};
  std::atomic<bool> leftByAbort{false};

 protected:
  void Execute() override {
    try {
      IFlash flash = CreateFlash(L"Working", 1000);
      for (;;) {
        if (FThroughProgress)
          flash->SetMessage(L"Round " + std::to_wstring(rounds.load()));
        else
          CheckTerminated();
        ++rounds;
        Sleep(1);
      }
    } catch (const EAbort&) {
      leftByAbort = true;
      throw;
    }
  }

 private:
  bool FThroughProgress;
};

// Stops on a flag of its own: what progress calls ask is its own check, not Terminated.
class TOwnFlagThread : public TPollingThread {
 public:
  TOwnFlagThread() : TPollingThread(true) {}
  ~TOwnFlagThread() override { StopAndWait(); }
  void RequestTerminate() override { stop = true; }
  void CheckTerminated() override {
    if (stop) throw EAbort(L"stopped by its own flag");
  }
  std::atomic<bool> stop{false};
};

class TFailingThread : public _TCoreManagedThread {
 protected:
  void Execute() override { throw EHvGeneralError(L"broken"); }
};

class TSelfDeletingThread : public _TCoreManagedThread {
 public:
  explicit TSelfDeletingThread(std::atomic<bool>& deleted) : FDeleted(deleted) {}
  ~TSelfDeletingThread() override { FDeleted = true; }

 protected:
  void Execute() override {}

 private:
  std::atomic<bool>& FDeleted;
};

// Waits for `condition`, at most 10 seconds; answers whether it came.
template <class Condition>
bool Eventually(Condition condition) {
  for (const DWORD start = GetTickCount(); !condition(); Sleep(1))
    if (GetTickCount() - start > 10000) return false;
  return true;
}

void WaitUntilRunning(const TPollingThread& thread) {
  ASSERT_TRUE(Eventually([&] { return thread.rounds >= 3; })) << "the thread never ran";
}

}  // namespace

TEST(ManagedThread, StopsWhenAskedAtItsOwnCheckOrAtAProgressCall) {
  for (bool throughProgress : {false, true}) {
    TPollingThread thread(throughProgress);
    thread.Start();
    WaitUntilRunning(thread);
    EXPECT_FALSE(thread.Terminated());
    thread.StopAndWait();
    EXPECT_TRUE(thread.Terminated());
    EXPECT_TRUE(thread.leftByAbort) << "through progress: " << throughProgress;
    EXPECT_FALSE(thread.FatalException()) << "the silent abort is the normal way out";
  }
}

TEST(ManagedThread, ProgressCallsAskTheThreadsOwnCheck) {
  TOwnFlagThread thread;
  thread.Start();
  WaitUntilRunning(thread);
  thread.StopAndWait();
  EXPECT_TRUE(thread.leftByAbort);
  EXPECT_FALSE(thread.Terminated()) << "its RequestTerminate does not set the flag";
}

TEST(ManagedThread, OtherThreadsAreAskedTheirTerminatedFlag) {
  std::thread other([] {
    static std::atomic<bool> flag{false};
    SetCurrentThreadTerminatedQuery([](void*) { return flag.load(); });
    EXPECT_NO_THROW(CheckCurrentThreadTerminated());
    flag = true;
    EXPECT_THROW(CheckCurrentThreadTerminated(), EAbort);
    SetCurrentThreadTerminatedQuery(nullptr);
  });
  other.join();
}

namespace {
std::atomic<bool> gSlowStopperDone{false};

// Takes 300 ms to stop once asked, then deletes itself.
class TSlowStopper : public _TCoreManagedThread {
 public:
  std::atomic<bool> running{false};

 protected:
  void Execute() override {
    running = true;
    while (!Terminated()) Sleep(1);
    Sleep(300);
    gSlowStopperDone = true;
  }
};
}  // namespace

TEST(ManagedThread, AShutdownWaitsOnlyAsLongAsItsThreadsNeed) {
  DWORD start = GetTickCount();
  TerminateManagedThreads();
  EXPECT_LT(GetTickCount() - start, 1000u) << "a shutdown without threads waited";

  auto* slow = new TSlowStopper;
  slow->SetFreeOnTerminate(true);
  slow->Start();
  ASSERT_TRUE(Eventually([&] { return slow->running.load(); }));
  start = GetTickCount();
  TerminateManagedThreads();
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_TRUE(gSlowStopperDone) << "the thread was not waited for to its end";
  EXPECT_GE(elapsed, 250u);
  EXPECT_LT(elapsed, 5000u) << "the shutdown waited on after the thread had ended";
}

TEST(ManagedThread, QuietnessFatalExceptionsAndSelfDeletion) {
  TPollingThread quiet(false, true), loud;
  quiet.Start();
  loud.Start();
  EXPECT_TRUE(IsQuietThread(quiet.ThreadID()));
  EXPECT_FALSE(IsQuietThread(loud.ThreadID()));
  EXPECT_FALSE(IsQuietThread(GetCurrentThreadId()));

  TFailingThread failing;
  failing.Start();
  failing.WaitFor();
  ASSERT_TRUE(failing.FatalException());
  EXPECT_THROW(std::rethrow_exception(failing.FatalException()), EHvGeneralError);

  std::atomic<bool> deleted{false};
  auto* self = new TSelfDeletingThread(deleted);
  self->SetFreeOnTerminate(true);
  self->Start();
  EXPECT_TRUE(Eventually([&] { return deleted.load(); })) << "the thread never deleted itself";
}
