#include "InternetTestSupport.h"

#include <vector>

#include <wininet.h>

#include "HvLXProxyCredentials.h"
#include "HvLXWinInetUtils.h"

namespace inettest {
namespace {

std::optional<std::wstring> ReadString(const wchar_t* name) {
  DWORD size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kInternetSettingsKey, name, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  std::wstring text(size / sizeof(wchar_t), L'\0');
  RegGetValueW(HKEY_CURRENT_USER, kInternetSettingsKey, name, RRF_RT_REG_SZ, nullptr, text.data(), &size);
  text.resize(size / sizeof(wchar_t) > 0 ? size / sizeof(wchar_t) - 1 : 0);
  return text;
}

void RestoreString(const wchar_t* name, const std::optional<std::wstring>& value) {
  if (value)
    RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettingsKey, name, REG_SZ, value->c_str(),
                    static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
  else
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kInternetSettingsKey, name);
}

struct InternetHandle {
  HINTERNET h;
  ~InternetHandle() {
    if (h) InternetCloseHandle(h);
  }
};

}  // namespace

std::optional<std::wstring> GetEnvironment(const wchar_t* name) {
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), size));
  return value;
}

void SetEnvironment(const wchar_t* name, const std::optional<std::wstring>& value) {
  SetEnvironmentVariableW(name, value ? value->c_str() : nullptr);
}

ScopedInternetState::ScopedInternetState() {
  hv::GetAdvancedInternetSettings(FSettings);
  DWORD enable = 0, size = sizeof(enable);
  if (RegGetValueW(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyEnable", RRF_RT_REG_DWORD, nullptr, &enable, &size) ==
      ERROR_SUCCESS)
    FProxyEnable = enable;
  FProxyServer = ReadString(L"ProxyServer");
  FProxyOverride = ReadString(L"ProxyOverride");
  FHttpProxy = GetEnvironment(L"http_proxy");
  FWinePath = GetEnvironment(L"WINEPATH");
  // Wine's WinInet falls back on the environment's proxy; each test sets its own.
  SetEnvironment(L"http_proxy", std::nullopt);
}

ScopedInternetState::~ScopedInternetState() {
  SetEnvironment(L"http_proxy", FHttpProxy);
  SetEnvironment(L"WINEPATH", FWinePath);
  hv::SetInternetSettingsKey(HKEY_CURRENT_USER, L"");
  hv::SetAdvancedInternetSettings(FSettings);
  if (FProxyEnable)
    RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyEnable", REG_DWORD, &*FProxyEnable, sizeof(DWORD));
  else
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyEnable");
  RestoreString(L"ProxyServer", FProxyServer);
  RestoreString(L"ProxyOverride", FProxyOverride);
  // The process-wide WinInet proxy back to the system's settings.
  hv::ApplyProxySettings();
}

Download Get(const std::wstring& url, bool proxyCredentials, unsigned timeoutMs, const Inspect& inspect) {
  Download result;
  InternetHandle session{InternetOpenW(L"HvInternetTest", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)};
  if (!session.h) {
    result.error = GetLastError();
    return result;
  }
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof(parts);
  wchar_t host[256] = {}, path[1024] = {};
  parts.lpszHostName = host;
  parts.dwHostNameLength = 256;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = 1024;
  InternetCrackUrlW(url.c_str(), 0, 0, &parts);
  InternetHandle connection{InternetConnectW(session.h, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0)};
  InternetHandle request{HttpOpenRequestW(connection.h, L"GET", path, nullptr, nullptr, nullptr,
                                          INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                              INTERNET_FLAG_PRAGMA_NOCACHE,
                                          0)};
  if (proxyCredentials) hv::SetProxyCredentials(request.h);
  if (timeoutMs) hv::SetWinInetTimeouts(request.h, timeoutMs, timeoutMs);
  if (!HttpSendRequestW(request.h, nullptr, 0, nullptr, 0)) {
    result.error = GetLastError();
    if (inspect) inspect(request.h, result);
    return result;
  }
  DWORD size = sizeof(result.status), index = 0;
  HttpQueryInfoW(request.h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &result.status, &size, &index);
  result.statusText = hv::TWinInetUtils::QueryInfoString(request.h, HTTP_QUERY_STATUS_TEXT);
  char buffer[4096];
  DWORD read = 0;
  while (InternetReadFile(request.h, buffer, sizeof(buffer), &read) && read > 0) result.body.append(buffer, read);
  if (inspect) inspect(request.h, result);
  return result;
}

}  // namespace inettest
