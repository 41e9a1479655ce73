// Calls that worker threads queue for the main thread, run when a long operation on the main
// thread keeps itself responsive (the progress window's processing step).
#pragma once

#include <functional>

namespace hv {


// Queues `call` from any thread to run on the main thread during its next processing step.
void QueueMainThreadCall(std::function<void()> call);
// Runs the queued calls, in order, on the main thread; calls queued meanwhile wait for the
// next step. A call that raises is reported like an event handler's exception.
void RunQueuedMainThreadCalls();

}  // namespace hv
