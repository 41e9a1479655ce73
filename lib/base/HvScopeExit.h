// Runs a clean-up when the scope ends, on the normal path and when an exception leaves it, in
// place of a catch block that cleans up and rethrows. The clean-up must not throw.
#pragma once

#include <utility>

namespace hv {

template <class F>
class [[nodiscard]] ScopeExit {
 public:
  explicit ScopeExit(F cleanup) : FCleanup(std::move(cleanup)) {}
  ~ScopeExit() {
    if (FActive) FCleanup();
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  // The clean-up will not run (the work it would undo is to stay).
  void Dismiss() { FActive = false; }

 private:
  F FCleanup;
  bool FActive = true;
};

}  // namespace hv
