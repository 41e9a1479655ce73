// System functions bound at their first call instead of at load time, so the program still
// starts on a Windows version (or Wine build) that lacks them. Callers use them only where
// the version provides them; a call that cannot be bound raises EDelayedLoadLibrary.
#pragma once

#include <atomic>
#include <utility>

#include "HvWindows.h"

namespace hv {

// Raise EDelayedLoadLibrary with the library's and the function's names when binding fails.
FARPROC BindDelayedLX(const wchar_t* library, const char* function);
FARPROC BindDelayedLX(const wchar_t* library, WORD ordinal);
// The same lookup for a caller with its own fallback: null when the library or the function
// is not there. Never raises.
FARPROC FindDelayedLX(const wchar_t* library, const char* function) noexcept;

// Makes the DLLs bound to load on first call (the linker's delay-load imports) come from the
// system folder only, also on Windows 7 without its loader update. Call it before any of them
// is called.
void RestrictDelayLoadsToSystemFolder() noexcept;

template <class Fn>
class TDelayedFunction {
 public:
  constexpr TDelayedFunction(const wchar_t* library, const char* function) : FLibrary(library), FFunction(function) {}
  constexpr TDelayedFunction(const wchar_t* library, WORD ordinal) : FLibrary(library), FOrdinal(ordinal) {}

  template <class... Args>
  decltype(auto) operator()(Args&&... args) const {
    return Get()(std::forward<Args>(args)...);
  }

  Fn* Get() const {
    Fn* proc = FProc.load(std::memory_order_acquire);
    if (!proc) {
      FARPROC bound = FFunction ? BindDelayedLX(FLibrary, FFunction) : BindDelayedLX(FLibrary, FOrdinal);
      proc = reinterpret_cast<Fn*>(reinterpret_cast<void*>(bound));
      FProc.store(proc, std::memory_order_release);  // a race binds the same address twice
    }
    return proc;
  }

 private:
  const wchar_t* FLibrary;
  const char* FFunction = nullptr;
  WORD FOrdinal = 0;
  mutable std::atomic<Fn*> FProc{nullptr};
};

}  // namespace hv
