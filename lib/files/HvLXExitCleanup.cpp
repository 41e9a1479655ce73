#include "HvLXExitCleanup.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "HvLXTempCleanup.h"

namespace hv {
namespace {

struct TExitCleanup {
  int order;
  TExitCleanupProc proc;
};

struct TExitCleanups {
  std::mutex lock;
  std::vector<TExitCleanup> list{{kExitOrderTempFiles, &CleanupTempFiles},
                                 {kExitOrderTempFolders, &CleanupTempFolders},
                                 {kExitOrderProcessTempFolders, &CleanupProcessTempFolders}};
  std::atomic<bool> ran{false};
};

// Other units may add theirs from their own start-up code, before main.
TExitCleanups& Cleanups() {
  static TExitCleanups cleanups;
  return cleanups;
}

}  // namespace

void AddExitCleanup(int order, TExitCleanupProc proc) {
  TExitCleanups& cleanups = Cleanups();
  std::lock_guard guard(cleanups.lock);
  cleanups.list.push_back({order, proc});
}

void RunExitCleanups() noexcept {
  TExitCleanups& cleanups = Cleanups();
  if (cleanups.ran.exchange(true)) return;
  std::vector<TExitCleanup> list;
  {
    std::lock_guard guard(cleanups.lock);
    list = cleanups.list;
  }
  std::stable_sort(list.begin(), list.end(),
                   [](const TExitCleanup& a, const TExitCleanup& b) { return a.order < b.order; });
  for (const TExitCleanup& cleanup : list) {
    try {
      if (cleanup.proc) cleanup.proc();
    } catch (...) {
      // The program is ending: a clean-up that fails leaves its leftovers for the next run.
    }
  }
}

}  // namespace hv
