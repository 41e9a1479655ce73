#include "HvLXPendingMessages.h"

#include <mutex>
#include <vector>

#include "HvApplication.h"
#include "HvWindows.h"

namespace hv {
namespace {

std::mutex gQueueLock;
std::vector<std::function<void()>> gQueuedCalls;

}  // namespace

void QueueMainThreadCall(std::function<void()> call) {
  std::lock_guard lock(gQueueLock);
  gQueuedCalls.push_back(std::move(call));
}

void RunQueuedMainThreadCalls() {
  std::vector<std::function<void()>> calls;
  {
    std::lock_guard lock(gQueueLock);
    calls.swap(gQueuedCalls);
  }
  for (auto& call : calls) {
    try {
      call();
    } catch (...) {
      Application().HandleException();
    }
  }
}

}  // namespace hv
