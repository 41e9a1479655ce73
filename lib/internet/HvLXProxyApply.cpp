#include <string>

#include "HvWindows.h"

#include <wininet.h>

#include "HvEncoding.h"
#include "HvLXHost.h"
#include "HvLXHostProxy.h"
#include "HvLXInternetSettings.h"
#include "HvLXProcessProxy.h"
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

void GiveWinInetTheProcessProxy(const TProcessProxy& proxy) {
  TInternetProxyInfoA info{proxy.AccessType, proxy.AccessType == INTERNET_OPEN_TYPE_PROXY ? proxy.Proxy.c_str() : nullptr,
                           proxy.Bypass.empty() ? nullptr : proxy.Bypass.c_str()};
  InternetSetOptionA(nullptr, INTERNET_OPTION_PROXY, &info, sizeof(info));
}

TProcessProxySetter gProcessProxySetter = &GiveWinInetTheProcessProxy;

}  // namespace

ScopedProcessProxySetter::ScopedProcessProxySetter(TProcessProxySetter setter) : FSaved(gProcessProxySetter) {
  gProcessProxySetter = setter;
}

ScopedProcessProxySetter::~ScopedProcessProxySetter() { gProcessProxySetter = FSaved; }

void ApplyProxySettings() {
  const TAdvancedInternetSettings settings = GetAdvancedInternetSettings();
  if (IsWine()) {
    // Wine's WinInet takes its proxy from these values whenever a session opens.
    const std::wstring proxy = settings.Proxy_UseIE_AutoDetect ? GetHostProxy() : settings.Proxy_Server;
    RegWriteIntegerLX(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyEnable", proxy.empty() ? 0 : 1);
    RegWriteStringLX(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyServer", proxy);
  }

  TProcessProxy process;
  if (!settings.Proxy_UseIE_AutoDetect) {
    if (!settings.Proxy_Server.empty()) {
      process.AccessType = INTERNET_OPEN_TYPE_PROXY;
      process.Proxy = TEncoding::ANSI()->GetBytes(settings.Proxy_Server);
    }
  } else if (RegReadIntegerDefLX(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyEnable", 0) != 0) {
    process.AccessType = INTERNET_OPEN_TYPE_PROXY;
    process.Proxy = WinInetList(RegReadStringDefLX(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyServer", L""));
    process.Bypass = WinInetList(RegReadStringDefLX(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyOverride", L""));
  }
  // Wine's WinInet already follows the values written above.
  if (UseWineTricks(L"unknown")) return;
  gProcessProxySetter(process);
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
