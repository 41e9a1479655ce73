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
void CheckWorkerThread();
}  // namespace detail

inline DWORD MainThreadID() { return detail::gMainThreadId; }
inline bool IsMainThread() { return GetCurrentThreadId() == detail::gMainThreadId; }

// Answers whether the calling thread has been asked to terminate. The owner of a thread
// installs it on that thread; a thread without one is never asked.
using TThreadTerminatedQuery = bool (*)(void* context);
void SetCurrentThreadTerminatedQuery(TThreadTerminatedQuery query, void* context = nullptr);

// Off the main thread: raises EAbort when the calling thread has been asked to terminate.
// On the main thread it costs one comparison, which is why it is inline.
inline void CheckThread() {
  if (!IsMainThread()) detail::CheckWorkerThread();
}

}  // namespace hv
