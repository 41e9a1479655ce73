#include "HvFileHolders.h"

#include <algorithm>
#include <cwchar>
#include <utility>

#include "HvExceptions.h"
#include "HvLXDelayLoad.h"
#include "HvLXPaths.h"
#include "HvRunningProcesses.h"

namespace hv {
namespace {

template <class Fn>
Fn* Bind(const char* name) {
  return reinterpret_cast<Fn*>(reinterpret_cast<void*>(FindDelayedLX(L"rstrtmgr.dll", name)));
}

RestartManagerCalls& Current() {
  static RestartManagerCalls calls = RealRestartManager();
  return calls;
}

class TSession {
 public:
  explicit TSession(const RestartManagerCalls& calls) : FCalls(calls) {
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    FOpen = FCalls.StartSession(&FHandle, 0, key) == ERROR_SUCCESS;
  }
  ~TSession() {
    if (FOpen) FCalls.EndSession(FHandle);
  }
  TSession(const TSession&) = delete;
  TSession& operator=(const TSession&) = delete;

  bool Open() const { return FOpen; }
  DWORD Handle() const { return FHandle; }

 private:
  const RestartManagerCalls& FCalls;
  DWORD FHandle = 0;
  bool FOpen = false;
};

std::vector<RM_PROCESS_INFO> ProcessList(const RestartManagerCalls& calls, DWORD session) {
  std::vector<RM_PROCESS_INFO> list;
  // The list may grow between the two calls: ask again while it does, a few times.
  for (int attempt = 0; attempt < 4; ++attempt) {
    UINT needed = 0, count = static_cast<UINT>(list.size());
    DWORD reasons = 0;
    const DWORD result = calls.GetList(session, &needed, &count, list.empty() ? nullptr : list.data(), &reasons);
    if (result == ERROR_SUCCESS) {
      list.resize(std::min<std::size_t>(count, list.size()));
      return list;
    }
    if (result != ERROR_MORE_DATA || needed <= list.size()) return {};
    list.resize(needed);
  }
  return {};
}

std::wstring HolderName(const RM_PROCESS_INFO& info) {
  // The start time tells this process from a later one that was given the same id.
  const std::wstring image = ProcessImagePath(info.Process.dwProcessId, &info.Process.ProcessStartTime);
  if (!image.empty()) return ExtractFileName(image);
  std::wstring name(info.strAppName, wcsnlen(info.strAppName, CCH_RM_MAX_APP_NAME + 1));
  return name;
}

}  // namespace

RestartManagerCalls RealRestartManager() {
  auto start = Bind<decltype(::RmStartSession)>("RmStartSession");
  auto add = Bind<decltype(::RmRegisterResources)>("RmRegisterResources");
  auto list = Bind<decltype(::RmGetList)>("RmGetList");
  auto end = Bind<decltype(::RmEndSession)>("RmEndSession");
  if (!start || !add || !list || !end) return {};
  RestartManagerCalls calls;
  calls.StartSession = [start](DWORD* session, DWORD flags, WCHAR* key) { return start(session, flags, key); };
  calls.RegisterFiles = [add](DWORD session, UINT count, LPCWSTR* files) {
    return add(session, count, files, 0, nullptr, 0, nullptr);
  };
  calls.GetList = [list](DWORD session, UINT* needed, UINT* count, RM_PROCESS_INFO* info, DWORD* reasons) {
    return list(session, needed, count, info, reasons);
  };
  calls.EndSession = [end](DWORD session) { return end(session); };
  return calls;
}

ScopedRestartManager::ScopedRestartManager(RestartManagerCalls replacement) : FSaved(std::move(Current())) {
  Current() = std::move(replacement);
}
ScopedRestartManager::~ScopedRestartManager() { Current() = std::move(FSaved); }

std::vector<TFileHolder> FileHolders(const std::wstring& path) noexcept {
  try {
    const RestartManagerCalls& calls = Current();
    if (!calls.StartSession || !calls.RegisterFiles || !calls.GetList || !calls.EndSession) return {};
    TSession session(calls);
    if (!session.Open()) return {};
    const std::wstring file = LongFileName(path);
    LPCWSTR files[] = {file.c_str()};
    if (calls.RegisterFiles(session.Handle(), 1, files) != ERROR_SUCCESS) return {};
    std::vector<TFileHolder> holders;
    for (const RM_PROCESS_INFO& info : ProcessList(calls, session.Handle()))
      holders.push_back({info.Process.dwProcessId, HolderName(info)});
    return holders;
  } catch (...) {
    return {};
  }
}

std::wstring DescribeHolders(const std::vector<TFileHolder>& holders) {
  if (holders.empty()) return L"another program";
  std::wstring text;
  for (const TFileHolder& holder : holders) {
    if (!text.empty()) text += L", ";
    text += Fmt(L"%s (process %u)", holder.Name.empty() ? std::wstring(L"a program") : holder.Name,
                static_cast<unsigned>(holder.ProcessId));
  }
  return text;
}

}  // namespace hv
