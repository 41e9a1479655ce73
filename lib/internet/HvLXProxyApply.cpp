#include <string>

#include "HvWindows.h"

#include <wininet.h>

#include "HvEncoding.h"
#include "HvLXHost.h"
#include "HvLXHostProxy.h"
#include "HvLXInternetSettings.h"
#include "HvLXProxyCredentials.h"
#include "HvLXRegistry.h"

namespace hv {
namespace {

const wchar_t kInternetSettingsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// The system's lists separate entries by ";", WinInet's option by blanks.
std::string WinInetList(std::wstring list) {
  for (wchar_t& c : list)
    if (c == L';') c = L' ';
  return TEncoding::ANSI()->GetBytes(list);
}

// INTERNET_PROXY_INFO as InternetSetOptionA reads it (the header declares only the form of the
// UNICODE switch).
struct TInternetProxyInfoA {
  DWORD AccessType;
  const char* Proxy;
  const char* ProxyBypass;
};

}  // namespace

void ApplyProxySettings() {
  const TAdvancedInternetSettings settings = GetAdvancedInternetSettings();
  if (IsWine()) {
    // Wine's WinInet takes its proxy from these values whenever a session opens.
    const std::wstring proxy = settings.Proxy_UseIE_AutoDetect ? GetHostProxy() : settings.Proxy_Server;
    RegWriteIntegerLX(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyEnable", proxy.empty() ? 0 : 1);
    RegWriteStringLX(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyServer", proxy);
  }

  DWORD accessType = INTERNET_OPEN_TYPE_DIRECT;
  std::string proxyList, bypassList;
  if (!settings.Proxy_UseIE_AutoDetect) {
    if (!settings.Proxy_Server.empty()) {
      accessType = INTERNET_OPEN_TYPE_PROXY;
      proxyList = TEncoding::ANSI()->GetBytes(settings.Proxy_Server);
    }
  } else if (RegReadIntegerDefLX(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyEnable", 0) != 0) {
    accessType = INTERNET_OPEN_TYPE_PROXY;
    proxyList = WinInetList(RegReadStringDefLX(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyServer", L""));
    bypassList = WinInetList(RegReadStringDefLX(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyOverride", L""));
  }
  // Wine's WinInet already follows the values written above.
  if (UseWineTricks(L"unknown")) return;
  TInternetProxyInfoA info{accessType, accessType == INTERNET_OPEN_TYPE_PROXY ? proxyList.c_str() : nullptr,
                           bypassList.empty() ? nullptr : bypassList.c_str()};
  InternetSetOptionA(nullptr, INTERNET_OPTION_PROXY, &info, sizeof(info));
}

TProxyCredentials GetEffectiveProxyCredentials() {
  const TAdvancedInternetSettings settings = GetAdvancedInternetSettings();
  if (IsWine() && settings.Proxy_UseIE_AutoDetect) {
    TProxyCredentials credentials;
    GetHostProxy();  // fills what the credentials come from
    GetHostProxyCredentials(credentials.Username, credentials.Password);
    return credentials;
  }
  if (!UsesOwnProxySettings()) return {};
  return {settings.Proxy_Username, settings.Proxy_Password};
}

bool SetProxyCredentials(void* internetHandle) {
  const TProxyCredentials credentials = GetEffectiveProxyCredentials();
  if (credentials.Username.empty()) return true;
  auto set = [&](DWORD option, const std::wstring& value) {
    return InternetSetOptionW(internetHandle, option, const_cast<wchar_t*>(value.c_str()),
                              static_cast<DWORD>(value.size())) != FALSE;
  };
  return set(INTERNET_OPTION_PROXY_USERNAME, credentials.Username) &&
         set(INTERNET_OPTION_PROXY_PASSWORD, credentials.Password);
}

}  // namespace hv
