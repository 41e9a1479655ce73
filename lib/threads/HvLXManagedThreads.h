// Managed threads: worker threads whose end the library controls. A thread asks whether it
// should stop through one overridable check, progress calls ask the same of whatever thread
// runs them, and when the program ends every managed thread still running is asked to stop,
// waited for up to 15 seconds in all, and then ended by force.
#pragma once

#include <atomic>
#include <exception>
#include <functional>

#include "HvHandles.h"
#include "HvWindows.h"

namespace hv {

inline constexpr DWORD kManagedThreadsGraceMs = 15000;

class _TCoreManagedThread {
 public:
  // Stops the thread and waits for it (StopAndWait), unless the thread deletes itself.
  virtual ~_TCoreManagedThread();
  _TCoreManagedThread(const _TCoreManagedThread&) = delete;
  _TCoreManagedThread& operator=(const _TCoreManagedThread&) = delete;

  // Runs Execute on a new thread; once only. Raises EOSError when the system refuses.
  void Start();

  // Asks the thread to stop; the base sets Terminated.
  virtual void RequestTerminate() { Terminate(); }
  // Raises the silent abort (EAbort) when Terminated is set. Progress calls made on the
  // thread run it too.
  virtual void CheckTerminated();

  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  bool Quiet() const { return FQuiet; }
  // The thread deletes its object when Execute returns; nobody else may then delete it.
  // Set it before Start.
  void SetFreeOnTerminate(bool value) { FFreeOnTerminate = value; }
  bool FreeOnTerminate() const { return FFreeOnTerminate; }
  HANDLE Handle() const { return FHandle.get(); }
  DWORD ThreadID() const { return FThreadID; }
  // The exception other than the silent abort that ended Execute, if any.
  std::exception_ptr FatalException() const { return FFatalException; }

  // Waits until the thread has ended. On the main thread, calls that the thread hands to
  // the main thread (RunInMainThread) run meanwhile, so the two never wait for each other.
  void WaitFor();
  // RequestTerminate, then WaitFor. A class whose Execute uses members of its own calls it
  // in its destructor, before they go.
  void StopAndWait();

 protected:
  // Registered as a managed thread from here on. `quiet` is what Quiet answers.
  explicit _TCoreManagedThread(bool quiet = false);
  virtual void Execute() = 0;

 private:
  friend struct ManagedThreadShutdown;
  static unsigned __stdcall ThreadProc(void* self);

  const bool FQuiet;
  bool FFreeOnTerminate = false;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FExecuteDone{false};
  UniqueKernelHandle FHandle;
  DWORD FThreadID = 0;
  std::exception_ptr FFatalException;
  // The thread's count of held library locks, set once it runs (CurrentThreadHeldLocks).
  std::atomic<std::atomic<int>*> FHeldLocks{nullptr};
};

// Quiet of the managed thread with this id; false for any other thread.
bool IsQuietThread(DWORD threadId);

// The shutdown of the managed threads, run once among the program's exit clean-ups (which
// the first managed thread registers); may be called earlier. Asks every registered thread
// to stop, waits for them up to kManagedThreadsGraceMs in all (serving their calls to the
// main thread meanwhile), then ends the rest by force, each one while it holds no library
// lock, and writes an event-log entry for each. Where a forced end happened, the program's end
// (after this shutdown among the exit clean-ups) is watched: should the thread running it not
// run at all for 60 seconds, hanging on a lock the ended thread held, the process is ended with
// exit code 1460. An early call arms no watch by itself.
void TerminateManagedThreads();

// Test seam: another delay for the exit watch, in milliseconds, within the scope.
class ScopedExitWatchdogDelay {
 public:
  explicit ScopedExitWatchdogDelay(DWORD delayMs);
  ~ScopedExitWatchdogDelay();
  ScopedExitWatchdogDelay(const ScopedExitWatchdogDelay&) = delete;
  ScopedExitWatchdogDelay& operator=(const ScopedExitWatchdogDelay&) = delete;

 private:
  DWORD FSaved;
};

// The forced end, as TerminateThread. Wine ends any thread it is asked to, so a test replaces
// it to see what a failed forced end writes. Not thread-safe; tests only.
using TTerminateThreadCall = std::function<BOOL(HANDLE thread, DWORD exitCode)>;

class ScopedTerminateThreadCall {
 public:
  explicit ScopedTerminateThreadCall(TTerminateThreadCall call);
  ~ScopedTerminateThreadCall();
  ScopedTerminateThreadCall(const ScopedTerminateThreadCall&) = delete;
  ScopedTerminateThreadCall& operator=(const ScopedTerminateThreadCall&) = delete;

 private:
  TTerminateThreadCall FSaved;
};

}  // namespace hv
