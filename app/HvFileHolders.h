// Which programs hold a file, as the system's Restart Manager knows them: used to name the
// program when a file cannot be deleted because it is in use. The Restart Manager is bound on
// first use from the system folder; where it is missing or knows nothing (Wine 8 answers every
// call with success and an empty list), a file has no named holder.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "HvWindows.h"

#include <restartmanager.h>

namespace hv {

struct TFileHolder {
  DWORD ProcessId = 0;
  std::wstring Name;  // the program file's name ("explorer.exe"), else the name the system gives
};

// The Restart Manager's four calls. A test replaces them to hand out a list of holders that
// Wine cannot produce; an empty function means the call is not there.
struct RestartManagerCalls {
  std::function<DWORD(DWORD* session, DWORD flags, WCHAR* key)> StartSession;
  std::function<DWORD(DWORD session, UINT count, LPCWSTR* files)> RegisterFiles;
  std::function<DWORD(DWORD session, UINT* needed, UINT* count, RM_PROCESS_INFO* info, DWORD* reasons)> GetList;
  std::function<DWORD(DWORD session)> EndSession;
};

// The calls bound from the system's rstrtmgr.dll (all empty when it or one of them is missing).
RestartManagerCalls RealRestartManager();

class ScopedRestartManager {
 public:
  explicit ScopedRestartManager(RestartManagerCalls replacement);
  ~ScopedRestartManager();
  ScopedRestartManager(const ScopedRestartManager&) = delete;
  ScopedRestartManager& operator=(const ScopedRestartManager&) = delete;

 private:
  RestartManagerCalls FSaved;
};

// The processes holding `path`; empty when none is known or any call fails. Never raises.
std::vector<TFileHolder> FileHolders(const std::wstring& path) noexcept;
// "explorer.exe (process 1234), x.exe (process 5)", or "another program" for an empty list.
std::wstring DescribeHolders(const std::vector<TFileHolder>& holders);

}  // namespace hv
