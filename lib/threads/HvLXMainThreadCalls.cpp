#include "HvLXMainThreadCalls.h"

#include <deque>
#include <exception>
#include <mutex>

#include "HvExceptions.h"
#include "HvHandles.h"
#include "HvLXThreadCheck.h"

namespace hv {
namespace {

constexpr UINT kRunRequestsMessage = WM_APP + 0x4856;  // posted to the main thread's request window

struct Request {
  const std::function<void()>* proc;
  std::exception_ptr failure;
  UniqueKernelHandle done;
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
      std::lock_guard lock(FMutex);
      FQueue.push_back(&request);
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
        request = FQueue.front();
        FQueue.pop_front();
      }
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

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

  std::mutex FMutex;
  std::deque<Request*> FQueue;
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
