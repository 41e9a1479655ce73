#include "HvLXMainThreadCalls.h"

#include <deque>
#include <exception>
#include <mutex>

#include "HvExceptions.h"
#include "HvHandles.h"
#include "HvLXLocks.h"
#include "HvLXThreadCheck.h"
#include "HvScopeExit.h"

namespace hv {
namespace {

constexpr UINT kRunRequestsMessage = WM_APP + 0x4856;  // posted to the main thread's request window

// Lives on the waiting thread's stack.
struct Request {
  const std::function<void()>* proc;
  std::exception_ptr failure;
  UniqueKernelHandle done;
};

// A queued request and the thread that waits for it. The request of a thread ended by force
// lies on a stack that is gone: its entry then holds null and is never followed.
struct QueuedRequest {
  Request* request;
  DWORD thread;
};

class MainThreadRequests {
 public:
  // Built while the program starts, on the main thread, so the window belongs to it.
  MainThreadRequests() : FPending(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"HvLXMainThreadCalls";
    RegisterClassW(&wc);
    FWindow = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  }

  void Queue(Request& request) {
    {
      // Counted as a held lock: a forced end waits until the thread is out of here.
      std::atomic<int>& held = CurrentThreadHeldLocks();
      ++held;
      ScopeExit leave([&] { --held; });
      std::lock_guard lock(FMutex);
      FQueue.push_back({&request, GetCurrentThreadId()});
      SetEvent(FPending.get());
    }
    if (FWindow) PostMessageW(FWindow, kRunRequestsMessage, 0, 0);
  }

  bool RunPending() {
    bool ran = false;
    for (;;) {
      Request* request;
      {
        std::lock_guard lock(FMutex);
        if (FQueue.empty()) {
          ResetEvent(FPending.get());
          return ran;
        }
        request = FQueue.front().request;
        FQueue.pop_front();
      }
      if (!request) continue;
      try {
        (*request->proc)();
      } catch (...) {
        request->failure = std::current_exception();
      }
      ran = true;
      SetEvent(request->done.get());  // the request belongs to its waiter from here on
    }
  }

  HANDLE PendingEvent() const { return FPending.get(); }

  // Touches only the queue's own entries, never the requests: they may be gone already.
  void Abandon(DWORD thread) {
    std::lock_guard lock(FMutex);
    for (QueuedRequest& entry : FQueue)
      if (entry.thread == thread) entry.request = nullptr;
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

  std::mutex FMutex;
  std::deque<QueuedRequest> FQueue;
  UniqueKernelHandle FPending;  // set while the queue holds requests
  HWND FWindow = nullptr;
};

MainThreadRequests gRequests;

LRESULT CALLBACK MainThreadRequests::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  if (msg == kRunRequestsMessage) {
    gRequests.RunPending();  // a request's failure goes back to its caller; nothing leaves here
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void RunInMainThread(const std::function<void()>& proc) {
  if (IsMainThread()) {
    proc();
    return;
  }
  Request request{&proc, nullptr, UniqueKernelHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr))};
  if (!request.done) RaiseLastOSError();
  gRequests.Queue(request);
  WaitForSingleObject(request.done.get(), INFINITE);
  if (request.failure) std::rethrow_exception(request.failure);
}

void AbandonMainThreadCallsOf(DWORD threadId) { gRequests.Abandon(threadId); }

bool CheckSynchronize() { return IsMainThread() && gRequests.RunPending(); }

DWORD WaitServingMainThreadCalls(HANDLE handle, DWORD timeoutMs) {
  if (!IsMainThread()) return WaitForSingleObject(handle, timeoutMs);
  const DWORD start = GetTickCount();
  const HANDLE handles[] = {handle, gRequests.PendingEvent()};
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    const DWORD left = timeoutMs == INFINITE ? INFINITE : (elapsed >= timeoutMs ? 0 : timeoutMs - elapsed);
    const DWORD r = WaitForMultipleObjects(2, handles, FALSE, left);
    if (r == WAIT_OBJECT_0 + 1)
      gRequests.RunPending();
    else
      return r;
  }
}

}  // namespace hv
