// Which thread is the main one, and the check that lets a worker thread that has been asked
// to stop leave its work at the next progress call.
#pragma once

#include <cstdint>

#include "HvWindows.h"

namespace hv {

namespace detail {
// Set while the program starts, on the thread that runs the start-up code. Zero before
// that, which matches no thread: such early calls are treated as worker calls.
extern const DWORD gMainThreadId;
}  // namespace detail

inline DWORD MainThreadID() { return detail::gMainThreadId; }
inline bool IsMainThread() { return GetCurrentThreadId() == detail::gMainThreadId; }

// Answers whether the calling thread has been asked to terminate (its terminated flag). The
// owner of a thread installs it on that thread; a thread without one is never asked.
using TThreadTerminatedQuery = bool (*)(void* context);
void SetCurrentThreadTerminatedQuery(TThreadTerminatedQuery query, void* context = nullptr);

// The calling thread's own termination check, which raises when the thread should stop (a
// managed thread's CheckTerminated). A thread that has one is not asked its query.
using TThreadTerminationCheck = void (*)(void* context);
void SetCurrentThreadTerminationCheck(TThreadTerminationCheck check, void* context = nullptr);

// For the calling thread: its own termination check when it has one, otherwise EAbort when its
// terminated query answers true.
void CheckCurrentThreadTerminated();

// Off the main thread: CheckCurrentThreadTerminated. On the main thread it costs one
// comparison, which is why it is inline.
inline void CheckThread() {
  if (!IsMainThread()) CheckCurrentThreadTerminated();
}

}  // namespace hv
