#include "HvLXPendingMessages.h"

#include <mutex>
#include <vector>

#include "HvApplication.h"
#include "HvWindows.h"

namespace hv {
namespace {

std::mutex gQueueLock;
std::vector<std::function<void()>> gQueuedCalls;

void ProcessInputRange(UINT first, UINT last) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, first, last, PM_REMOVE)) {
    HWND active = GetActiveWindow();
    if (active && TForm::FromHandle(active) && IsDialogMessageW(active, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

void ProcessPendingMessages() { Application().ProcessMessages(); }

void ProcessPendingInputMessages() {
  ProcessInputRange(WM_KEYFIRST, WM_KEYLAST);
  ProcessInputRange(WM_MOUSEFIRST, WM_MOUSELAST);
}

void ProcessPendingPaintMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageW(&msg);
}

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
