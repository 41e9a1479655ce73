// Keeping the main thread responsive from inside a long operation: handling the messages
// that are waiting, and the calls that worker threads have queued for the main thread.
#pragma once

#include <functional>

namespace hv {

// Every waiting message of the thread, handled as the application's loop would.
void ProcessPendingMessages();
// Only the waiting keyboard and mouse messages; the dialog keys (Esc, Tab, Enter) work.
void ProcessPendingInputMessages();
// Only the waiting paint messages, so windows redraw without any other code running.
void ProcessPendingPaintMessages();

// Queues `call` from any thread to run on the main thread during its next processing step.
void QueueMainThreadCall(std::function<void()> call);
// Runs the queued calls, in order, on the main thread; calls queued meanwhile wait for the
// next step. A call that raises is reported like an event handler's exception.
void RunQueuedMainThreadCalls();

}  // namespace hv
