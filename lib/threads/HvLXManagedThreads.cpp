#include "HvLXManagedThreads.h"

#include <process.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvLXClassName.h"
#include "HvLXEventLog.h"
#include "HvLXExitCleanup.h"
#include "HvLXLocks.h"
#include "HvLXMainThreadCalls.h"
#include "HvLXThreadCheck.h"

namespace hv {

// What the shutdown reaches inside a thread object.
struct ManagedThreadShutdown {
  static std::atomic<int>* HeldLocks(const _TCoreManagedThread& t) { return t.FHeldLocks; }
  static bool ExecuteDone(const _TCoreManagedThread& t) { return t.FExecuteDone; }
};

namespace {

// Before the clean-ups of the files and the event log: a thread may still be using them.
constexpr int kExitOrderManagedThreads = 50;
constexpr int kForcedEndAttempts = 3;
constexpr DWORD kBetweenAttemptsMs = 1000;
constexpr DWORD kEndSettleMs = 5000;
// How long a forced end waits for a thread to leave the library's locks.
constexpr DWORD kLockLeaveWaitMs = 2000;
// A thread ended by force may have held a lock that nobody can tell (the heap's): should the
// program's end then hang on it, the process is ended once the ending thread has not run at all
// for this long. A clean-up that works, however long, uses the processor and is never cut.
constexpr DWORD kExitWatchdogMs = 60000;
constexpr DWORD kWatchdogPollMs = 250;

std::atomic<DWORD> gExitWatchdogMs{kExitWatchdogMs};
std::atomic<bool> gForcedEndHappened{false};

struct ManagedThreadList {
  THvMonitor lock;
  std::vector<_TCoreManagedThread*> threads;
};

// Never freed: a thread may still leave the list while the program ends.
ManagedThreadList& List() {
  static ManagedThreadList* list = new ManagedThreadList;
  return *list;
}

TTerminateThreadCall gTerminateThread;  // empty: TerminateThread itself

void ArmExitWatchdog();

// The shutdown as one of the program's exit clean-ups: only there may a forced end (of this
// call's or of an earlier one) lead to the watchdog.
void ShutDownAtExit() {
  TerminateManagedThreads();
  if (gForcedEndHappened) ArmExitWatchdog();
}

void Register(_TCoreManagedThread* thread) {
  static std::once_flag cleanup;
  std::call_once(cleanup, [] { AddExitCleanup(kExitOrderManagedThreads, &ShutDownAtExit); });
  ManagedThreadList& list = List();
  THvLockGuard guard(list.lock, INFINITE);
  list.threads.push_back(thread);
}

void Unregister(_TCoreManagedThread* thread) {
  ManagedThreadList& list = List();
  THvLockGuard guard(list.lock, INFINITE);
  std::erase(list.threads, thread);
}

void ReportEvent(const std::wstring& text) {
  try {
    ReportErrorEventLX(text);
  } catch (...) {
    // The shutdown goes on whether or not the entry could be written.
  }
}

// Waits for all of them, at most `timeoutMs` in all, serving calls to the main thread.
void WaitForAll(const std::vector<UniqueKernelHandle>& handles, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (const UniqueKernelHandle& h : handles) {
    const DWORD elapsed = GetTickCount() - start;
    if (WaitServingMainThreadCalls(h.get(), elapsed >= timeoutMs ? 0 : timeoutMs - elapsed) == WAIT_TIMEOUT) return;
  }
}

std::uint64_t ThreadRunTime(HANDLE thread) {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(thread, &created, &exited, &kernel, &user)) return 0;
  auto value = [](const FILETIME& t) { return (std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return value(kernel) + value(user);
}

// Watches the thread that runs the program's end (its handle is the parameter, owned here) and
// ends the process once that thread has not run for the delay: it is waiting for something that
// will never come. A thread that is gone has nothing left to hang.
DWORD WINAPI EndProcessWhenExitHangs(void* exitingThread) {
  const HANDLE thread = exitingThread;
  std::uint64_t seen = ThreadRunTime(thread);
  DWORD still = GetTickCount();
  while (WaitForSingleObject(thread, kWatchdogPollMs) == WAIT_TIMEOUT) {
    const std::uint64_t now = ThreadRunTime(thread);
    if (now != seen) {
      seen = now;
      still = GetTickCount();
    } else if (GetTickCount() - still >= gExitWatchdogMs) {
      TerminateProcess(GetCurrentProcess(), ERROR_TIMEOUT);
    }
  }
  CloseHandle(thread);
  return 0;
}

// Armed on the thread that runs the exit clean-ups, after the threads' shutdown.
void ArmExitWatchdog() {
  static std::once_flag armed;
  std::call_once(armed, [] {
    HANDLE exiting = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &exiting,
                         SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0))
      return;
    // CreateThread, not the runtime's: the watchdog must need nothing a dead thread may hold.
    if (HANDLE h = CreateThread(nullptr, 64 * 1024, &EndProcessWhenExitHangs, exiting, 0, nullptr))
      CloseHandle(h);
    else
      CloseHandle(exiting);
  });
}

enum class TForcedEnd { Ended, Failed, HoldsLock };

// One try at ending `thread` by force, made while it is suspended and holds no library lock;
// nothing is allocated while it is suspended, since it may hold the heap's lock.
TForcedEnd TryEndByForce(_TCoreManagedThread& thread) {
  const HANDLE h = thread.Handle();
  const DWORD start = GetTickCount();
  for (;;) {
    if (SuspendThread(h) == static_cast<DWORD>(-1)) break;  // not suspendable: end it as it is
    CONTEXT context{};
    context.ContextFlags = CONTEXT_CONTROL;
    GetThreadContext(h, &context);  // returns once the suspension has taken effect
    const std::atomic<int>* held = ManagedThreadShutdown::HeldLocks(thread);
    if (!held || held->load() == 0) {
      const BOOL ended = gTerminateThread ? gTerminateThread(h, 0) : TerminateThread(h, 0);
      // Its waits for the main thread end with it: their requests lie on its stack.
      if (ended) AbandonMainThreadCallsOf(thread.ThreadID());
      ResumeThread(h);  // lets a thread that was not ended go on; nothing for one that was
      return ended ? TForcedEnd::Ended : TForcedEnd::Failed;
    }
    ResumeThread(h);
    if (GetTickCount() - start >= kLockLeaveWaitMs) return TForcedEnd::HoldsLock;
    Sleep(10);
  }
  const BOOL ended = gTerminateThread ? gTerminateThread(h, 0) : TerminateThread(h, 0);
  if (ended) AbandonMainThreadCallsOf(thread.ThreadID());
  return ended ? TForcedEnd::Ended : TForcedEnd::Failed;
}

// Answers whether the thread has ended.
bool EndByForce(_TCoreManagedThread& thread) {
  static const wchar_t* const kTries[] = {L"first", L"second", L"third"};
  const std::wstring className = ClassNameOf(typeid(thread));
  for (int attempt = 0; attempt < kForcedEndAttempts; ++attempt) {
    switch (TryEndByForce(thread)) {
      case TForcedEnd::Ended:
        gForcedEndHappened = true;
        WaitForSingleObject(thread.Handle(), kEndSettleMs);  // TerminateThread only starts the end
        ReportEvent(Fmt(L"A thread of class %s did not stop within %d seconds and was terminated.", className,
                        static_cast<int>(kManagedThreadsGraceMs / 1000)));
        return true;
      case TForcedEnd::HoldsLock:
        // Ending it now could leave what the lock guards half-changed; the end of the process
        // ends it, and a clean-up waiting for that lock gives up after its time-out.
        ReportEvent(Fmt(L"A thread of class %s was left running: it held a lock of the library.", className));
        return false;
      case TForcedEnd::Failed:
        ReportEvent(Fmt(L"A thread of class %s could not be terminated on the %s try.", className, kTries[attempt]));
        Sleep(kBetweenAttemptsMs);
        break;
    }
  }
  return false;
}

}  // namespace

_TCoreManagedThread::_TCoreManagedThread(bool quiet) : FQuiet(quiet) { Register(this); }

_TCoreManagedThread::~_TCoreManagedThread() {
  // A thread deleting itself has left the list and is in its last steps: nothing to wait for.
  if (FHandle && GetCurrentThreadId() != FThreadID) StopAndWait();
  Unregister(this);  // one never started, or one whose forced end failed
}

void _TCoreManagedThread::Start() {
  if (FHandle) throw EHvInternalError(L"Internal Error: The thread was started already.");
  unsigned id = 0;
  // Suspended until its handle is stored: a thread that deletes itself may be gone at once.
  HANDLE h = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &ThreadProc, this, CREATE_SUSPENDED, &id));
  if (!h) RaiseLastOSError();
  FHandle.reset(h);
  FThreadID = id;
  ResumeThread(h);
}

void _TCoreManagedThread::CheckTerminated() {
  if (Terminated()) throw EAbort(L"Operation aborted");
}

void _TCoreManagedThread::WaitFor() {
  if (!FHandle) return;
  if (GetCurrentThreadId() == FThreadID) throw EHvInternalError(L"Internal Error: A thread cannot wait for itself.");
  WaitServingMainThreadCalls(FHandle.get(), INFINITE);
}

void _TCoreManagedThread::StopAndWait() {
  RequestTerminate();
  WaitFor();
}

unsigned __stdcall _TCoreManagedThread::ThreadProc(void* self) {
  auto* thread = static_cast<_TCoreManagedThread*>(self);
  thread->FHeldLocks = &CurrentThreadHeldLocks();
  SetCurrentThreadTerminationCheck([](void* t) { static_cast<_TCoreManagedThread*>(t)->CheckTerminated(); }, thread);
  try {
    thread->Execute();
  } catch (const EAbort&) {
    // The thread was asked to stop: its normal way out.
  } catch (...) {
    thread->FFatalException = std::current_exception();
  }
  SetCurrentThreadTerminationCheck(nullptr);
  thread->FExecuteDone = true;
  // Out of the list before the object may go, so the shutdown never sees one deleting itself.
  Unregister(thread);
  if (thread->FFreeOnTerminate) delete thread;
  return 0;
}

bool IsQuietThread(DWORD threadId) {
  ManagedThreadList& list = List();
  THvLockGuard guard(list.lock, INFINITE);
  for (const _TCoreManagedThread* t : list.threads)
    if (t->ThreadID() == threadId) return t->Quiet();
  return false;
}

void TerminateManagedThreads() {
  // Nothing is patched at start-up for this shutdown: the runtime routine that another runtime
  // needs replaced here (CleanEventList, found through debug information) has no counterpart in
  // ours, so neither has the debug-information lookup.
  ManagedThreadList& list = List();
  CheckSynchronize();
  std::vector<UniqueKernelHandle> handles;
  {
    THvLockGuard guard(list.lock, INFINITE);
    for (_TCoreManagedThread* t : list.threads) {
      // Copies: a thread that deletes itself closes its own handle.
      HANDLE copy = nullptr;
      if (t->Handle() && DuplicateHandle(GetCurrentProcess(), t->Handle(), GetCurrentProcess(), &copy, SYNCHRONIZE,
                                         FALSE, 0))
        handles.emplace_back(copy);
      try {
        t->RequestTerminate();
      } catch (...) {
        // A thread that cannot be asked is ended after the wait like one that did not listen.
      }
    }
  }
  if (handles.empty()) return;
  CheckSynchronize();
  WaitForAll(handles, kManagedThreadsGraceMs);

  THvLockGuard guard(list.lock, INFINITE);
  const std::vector<_TCoreManagedThread*> remaining = list.threads;
  for (_TCoreManagedThread* t : remaining) {
    // Not started, or on its way out once the lock is free: nothing to end.
    if (!t->Handle() || ManagedThreadShutdown::ExecuteDone(*t) || WaitForSingleObject(t->Handle(), 0) == WAIT_OBJECT_0)
      continue;
    if (!EndByForce(*t)) continue;  // still running: its object must stay
    std::erase(list.threads, t);
    if (t->FreeOnTerminate()) delete t;  // it never reached its own delete; nobody else owns it
  }
}

ScopedExitWatchdogDelay::ScopedExitWatchdogDelay(DWORD delayMs) : FSaved(gExitWatchdogMs.exchange(delayMs)) {}
ScopedExitWatchdogDelay::~ScopedExitWatchdogDelay() { gExitWatchdogMs = FSaved; }

ScopedTerminateThreadCall::ScopedTerminateThreadCall(TTerminateThreadCall call) : FSaved(std::move(gTerminateThread)) {
  gTerminateThread = std::move(call);
}

ScopedTerminateThreadCall::~ScopedTerminateThreadCall() { gTerminateThread = std::move(FSaved); }

}  // namespace hv
