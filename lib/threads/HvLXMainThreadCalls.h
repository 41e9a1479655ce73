// Work that another thread hands to the main thread and waits for. Requests run whenever the
// main thread dispatches window messages (in any message loop, a modal one included) and
// while it waits for threads through WaitServingMainThreadCalls, so a worker waiting for the
// main thread and the main thread waiting for that worker never block each other.
#pragma once

#include <functional>

#include "HvWindows.h"

namespace hv {

// Runs `proc` on the main thread and waits until it has run; on the main thread it runs at
// once. An exception that `proc` raises comes out here, on the calling thread.
void RunInMainThread(const std::function<void()>& proc);

// For the forced end of a thread: its queued requests are never run (they lie on its stack,
// which goes with it). Takes no memory and frees none, so it may run while the thread is
// suspended or dying; nothing of the thread's is read.
void AbandonMainThreadCallsOf(DWORD threadId);

// On the main thread: runs the pending requests; answers whether there were any. Elsewhere
// it does nothing.
bool CheckSynchronize();

// Waits until `handle` is signalled or `timeoutMs` has passed (WAIT_OBJECT_0 or WAIT_TIMEOUT).
// On the main thread the pending requests run meanwhile.
DWORD WaitServingMainThreadCalls(HANDLE handle, DWORD timeoutMs);

}  // namespace hv
