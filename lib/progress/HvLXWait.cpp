#include "HvLXWait.h"

#include "HvLXFlashConsole.h"
#include "HvLXResStrings.h"

namespace hv {
namespace {
thread_local TWaitHook tBeginWaitHook = nullptr;
thread_local TWaitHook tEndWaitHook = nullptr;
thread_local int tWaitCount = 0;
}  // namespace

void BeginWait() {
  if (tBeginWaitHook) {
    tBeginWaitHook();
    return;
  }
  // Only the outermost scope says so, or nested operations would repeat the line.
  if (++tWaitCount == 1) detail::WriteProgressLine(SPleaseWait);
}

void EndWait() {
  if (tEndWaitHook)
    tEndWaitHook();
  else
    --tWaitCount;
}

void SetBeginWaitHook(TWaitHook hook) { tBeginWaitHook = hook; }
void SetEndWaitHook(TWaitHook hook) { tEndWaitHook = hook; }
int WaitCount() { return tWaitCount; }

TWaitScope::~TWaitScope() {
  // A hook that fails while the scope unwinds must not end the process.
  try {
    EndWait();
  } catch (...) {
  }
}

}  // namespace hv
