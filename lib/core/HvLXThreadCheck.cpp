#include "HvLXThreadCheck.h"

#include "HvExceptions.h"

namespace hv {

namespace detail {
const DWORD gMainThreadId = GetCurrentThreadId();
}  // namespace detail

namespace {
// Plain values only: thread_local objects with destructors are fragile on some runtimes.
thread_local TThreadTerminatedQuery tTerminatedQuery = nullptr;
thread_local void* tTerminatedContext = nullptr;
thread_local TThreadTerminationCheck tTerminationCheck = nullptr;
thread_local void* tTerminationCheckContext = nullptr;
}  // namespace

void SetCurrentThreadTerminatedQuery(TThreadTerminatedQuery query, void* context) {
  tTerminatedQuery = query;
  tTerminatedContext = query ? context : nullptr;
}

void SetCurrentThreadTerminationCheck(TThreadTerminationCheck check, void* context) {
  tTerminationCheck = check;
  tTerminationCheckContext = check ? context : nullptr;
}

void CheckCurrentThreadTerminated() {
  if (tTerminationCheck)
    tTerminationCheck(tTerminationCheckContext);
  else if (tTerminatedQuery && tTerminatedQuery(tTerminatedContext))
    throw EAbort(L"Operation aborted");
}

}  // namespace hv
