// The wait scope: a nestable "the program is busy" state of the calling thread. A user
// interface installs hooks (hourglass cursor); without hooks the thread only counts.
#pragma once

namespace hv {

using TWaitHook = void (*)();

void BeginWait();
void EndWait();
// Hooks of the calling thread; nullptr removes one.
void SetBeginWaitHook(TWaitHook hook);
void SetEndWaitHook(TWaitHook hook);
// Nesting depth of unhooked wait scopes on the calling thread.
int WaitCount();

// BeginWait now, EndWait when the scope ends (also while an exception unwinds).
class TWaitScope {
 public:
  TWaitScope() { BeginWait(); }
  ~TWaitScope();
  TWaitScope(const TWaitScope&) = delete;
  TWaitScope& operator=(const TWaitScope&) = delete;
};

}  // namespace hv
