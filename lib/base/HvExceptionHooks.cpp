#include "HvExceptionHooks.h"

#include <exception>
#include <mutex>

#include "HvScopeExit.h"

namespace hv {
namespace {

// Constant-initialised, so a throw during static initialisation finds them ready.
std::mutex HooksLock;
ExceptionHooks Hooks;

thread_local void* LastRaiseAddress = nullptr;
// Hooks under way on this thread: a hook whose own work raises runs again for that raise, but
// not without end.
thread_local int RaiseHookDepth = 0;

void AttachStackInfo(Exception& raised, void* raiseAddress, const ExceptionHooks& hooks) {
  void* info = hooks.onRaise(raised, raiseAddress);
  if (!info) {
    raised.SetStackInfo(nullptr);
    return;
  }
  auto onFree = hooks.onFree;
  // shared_ptr calls the deleter itself should its own allocation fail.
  raised.SetStackInfo(std::shared_ptr<void>(info, [onFree](void* p) {
    if (onFree) onFree(p);
  }));
}

}  // namespace

ExceptionHooks SetExceptionHooks(const ExceptionHooks& hooks) {
  std::lock_guard lock(HooksLock);
  ExceptionHooks previous = Hooks;
  Hooks = hooks;
  return previous;
}

ExceptionHooks GetExceptionHooks() {
  std::lock_guard lock(HooksLock);
  return Hooks;
}

const Exception* ExceptObject() {
  if (!std::current_exception()) return nullptr;
  // A rethrow hands the handler the very object being handled, not a copy.
  try {
    throw;
  } catch (const Exception& e) {
    return &e;
  } catch (...) {
    return nullptr;
  }
}

void* ExceptAddr() {
  if (!std::current_exception()) return nullptr;
  if (const Exception* e = ExceptObject()) return e->RaiseAddress();
  return LastRaiseAddress;
}

namespace detail {

void ExceptionRaised(Exception* raised, void* raiseAddress) {
  LastRaiseAddress = raiseAddress;
  if (!raised) return;
  raised->SetRaiseAddress(raiseAddress);
  if (RaiseHookDepth >= kMaxNestedRaiseHooks) return;
  ExceptionHooks hooks = GetExceptionHooks();
  if (!hooks.onRaise) return;
  ++RaiseHookDepth;
  ScopeExit leave([raiseAddress] {
    --RaiseHookDepth;
    LastRaiseAddress = raiseAddress;
  });
  AttachStackInfo(*raised, raiseAddress, hooks);
}

}  // namespace detail
}  // namespace hv
