// What the raise mechanism records: the process-wide hooks called at every throw of an
// hv::Exception (stack capture and reports plug in here), and per thread the exception being
// handled and the address it was thrown from.
#pragma once

#include <string>

#include "HvExceptions.h"

namespace hv {

inline constexpr int kMaxNestedRaiseHooks = 3;

struct ExceptionHooks {
  // Called at every throw of an hv::Exception (or a descendant), anywhere in the program;
  // the answer becomes the exception's StackInfo. An exception that leaves the hook is raised
  // in place of the one being thrown. Throws inside the hook run it again, nested up to
  // kMaxNestedRaiseHooks deep on one thread; deeper throws pass without it.
  void* (*onRaise)(const Exception& raised, void* raiseAddress) = nullptr;
  // Frees what onRaise answered, when the last copy of the exception goes. The onFree set at
  // the time of the raise is the one called, even if the hooks changed since.
  void (*onFree)(void* stackInfo) = nullptr;
  // Turns stack information into text for Exception::StackTrace.
  std::wstring (*toText)(void* stackInfo) = nullptr;
};

// Installs `hooks` for the whole process and answers the ones installed before.
ExceptionHooks SetExceptionHooks(const ExceptionHooks& hooks);
ExceptionHooks GetExceptionHooks();

// The hv::Exception being handled by the innermost active handler of this thread; null
// outside a handler or when the object being handled is not an hv::Exception.
const Exception* ExceptObject();
// The code address the exception being handled on this thread was thrown from (null outside
// a handler).
void* ExceptAddr();

namespace detail {
// Called by the compiler-specific throw interception for every thrown object, before it
// leaves; `raised` is null when the object is not an hv::Exception. Raises what the hook
// raises; the caller then frees the object it was about to throw.
void ExceptionRaised(Exception* raised, void* raiseAddress);
}  // namespace detail

}  // namespace hv
