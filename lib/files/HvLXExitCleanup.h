// What the library does when the program ends. The program calls RunExitCleanups on its way
// out (or holds a THvExitCleanupScope in its entry function), while every part of the
// library is still alive; an atexit handler could run after the objects it needs are gone.
#pragma once

namespace hv {

using TExitCleanupProc = void (*)();

// Clean-ups run in ascending order; those of equal order in the order they were added.
inline constexpr int kExitOrderEventLogTrim = 100;  // trimming the event log files (Wine)
inline constexpr int kExitOrderTempFiles = 200;
inline constexpr int kExitOrderTempFolders = 300;
inline constexpr int kExitOrderProcessTempFolders = 400;

// Adds a clean-up of another unit (the temporary file clean-ups are built in).
void AddExitCleanup(int order, TExitCleanupProc proc);

// Runs every clean-up once per process; later calls do nothing. A clean-up that raises does
// not keep the others from running, and nothing escapes.
void RunExitCleanups() noexcept;

// Runs the clean-ups when the scope ends, on every path out of it.
class [[nodiscard]] THvExitCleanupScope {
 public:
  THvExitCleanupScope() = default;
  ~THvExitCleanupScope() { RunExitCleanups(); }
  THvExitCleanupScope(const THvExitCleanupScope&) = delete;
  THvExitCleanupScope& operator=(const THvExitCleanupScope&) = delete;
};

}  // namespace hv
