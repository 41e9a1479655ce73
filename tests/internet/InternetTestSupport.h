// What the internet tests share: the settings, the system's proxy values and the proxy
// environment put back as they were after each test, and a plain WinInet download.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "HvLXInternetSettings.h"
#include "HvWindows.h"

namespace inettest {

inline const wchar_t kInternetSettingsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

class ScopedInternetState {
 public:
  ScopedInternetState();
  ~ScopedInternetState();
  ScopedInternetState(const ScopedInternetState&) = delete;
  ScopedInternetState& operator=(const ScopedInternetState&) = delete;

 private:
  hv::TAdvancedInternetSettings FSettings;
  std::optional<DWORD> FProxyEnable;
  std::optional<std::wstring> FProxyServer, FProxyOverride, FHttpProxy, FWinePath;
};

// Sets an environment variable for the scope (nullopt removes it).
void SetEnvironment(const wchar_t* name, const std::optional<std::wstring>& value);
std::optional<std::wstring> GetEnvironment(const wchar_t* name);

struct Download {
  DWORD error = 0;  // the WinInet error code when the request failed
  DWORD status = 0;
  std::wstring statusText;
  std::string body;
};
// GET `url` through a new session that takes the system's (or the process's) proxy
// settings, without following redirects. With `proxyCredentials`, the request gets the
// settings' proxy credentials. `timeoutMs` 0 keeps the process's time-outs. `inspect` sees the
// request handle and the outcome before the handles close.
using Inspect = std::function<void(void* request, const Download& outcome)>;
Download Get(const std::wstring& url, bool proxyCredentials = false, unsigned timeoutMs = 0, const Inspect& inspect = {});

}  // namespace inettest
