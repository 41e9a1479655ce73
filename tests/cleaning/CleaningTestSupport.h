// Fixtures of the cleaning tests: a display that watches the cleaning's progress (and can
// press Cancel), the Recycle Bin as Wine keeps it, and a file held open by another process.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HvHandles.h"
#include "HvLXFlash.h"

namespace cleaningtest {

struct ProgressSeen {
  int progress = 0;
  int total = 0;
};

// Installed as the thread's flash display while it lives. `onPoll` runs at every update of
// the cleaning's flash with its progress; it may throw EAbort, as a pressed Cancel does.
class WatchingDisplay {
 public:
  explicit WatchingDisplay(std::function<void(const ProgressSeen&)> onPoll = {});
  ~WatchingDisplay();
  WatchingDisplay(const WatchingDisplay&) = delete;
  WatchingDisplay& operator=(const WatchingDisplay&) = delete;

  std::function<void(const ProgressSeen&)> OnPoll;
  std::vector<ProgressSeen> Seen;
  std::wstring Message;
};

// The names `folder` lists, whatever each is or leads to.
std::vector<std::wstring> EntryNames(const std::wstring& folder);

// The files folder of the Recycle Bin (Wine keeps it in the host's trash).
std::wstring RecycleBinFiles();
// Full paths of everything the cleaning put into the Recycle Bin under `name`.
std::vector<std::wstring> RecycledAs(const std::wstring& name);

// While it lives, the Recycle Bin takes nothing: Wine's trash folder is replaced by a file.
// The trash is used once before, so that Wine's one-time look at it has found it working.
class RefusingRecycleBin {
 public:
  RefusingRecycleBin();
  ~RefusingRecycleBin();
  RefusingRecycleBin(const RefusingRecycleBin&) = delete;
  RefusingRecycleBin& operator=(const RefusingRecycleBin&) = delete;

 private:
  std::wstring FTrash, FSaved;
};

// A file held open by a child process that is ended (by its handle) when this object goes;
// by default the child shares it with nobody.
class HeldByAnotherProcess {
 public:
  explicit HeldByAnotherProcess(const std::wstring& path, DWORD share = 0);
  ~HeldByAnotherProcess();

 private:
  hv::UniqueKernelHandle FProcess;
};

}  // namespace cleaningtest
