#include "HvLXInternetSettings.h"

#include <mutex>

#include "HvLXHost.h"
#include "HvLXHostProxy.h"
#include "HvLXProxyPassword.h"
#include "HvLXRegistry.h"

namespace hv {
namespace {

const wchar_t kUseIEValue[] = L"Proxy_UseIE";
const wchar_t kMacAdvancedValue[] = L"Proxy_MacAdvanced";
const wchar_t kAllowIndyValue[] = L"AllowIndy";
const wchar_t kForceIndyValue[] = L"ForceIndy";
const wchar_t kServerValue[] = L"Proxy_Server";
const wchar_t kUsernameValue[] = L"Proxy_Username";
const wchar_t kPasswordValue[] = L"Proxy_Password";

struct TSettingsKey {
  HKEY Root = HKEY_CURRENT_USER;
  std::wstring Path;
};

// The WinHTTP replacement reads the settings from any thread of the process, and start-up code
// of other units may ask for them before this unit's objects would be made.
struct TSettingsState {
  std::mutex Lock;
  TAdvancedInternetSettings Settings;
  TSettingsKey Key;
  TAdvancedSettingsDialogHook DialogHook = nullptr;
  TConnectionIssueReportHook ReportHook = nullptr;
};

TSettingsState& State() {
  static TSettingsState state;
  return state;
}

TSettingsKey CurrentKey() {
  std::lock_guard guard(State().Lock);
  return State().Key;
}

void StoreSettings(const TSettingsKey& key, const TAdvancedInternetSettings& settings) {
  RegWriteBoolLX(key.Root, key.Path, kUseIEValue, settings.Proxy_UseIE_AutoDetect);
  RegWriteBoolLX(key.Root, key.Path, kMacAdvancedValue, settings.Proxy_MacAdvanced_AutoDetect);
  RegWriteBoolLX(key.Root, key.Path, kAllowIndyValue, settings.AllowIndy);
  RegWriteBoolLX(key.Root, key.Path, kForceIndyValue, settings.ForceIndy);
  RegWriteStringLX(key.Root, key.Path, kServerValue, settings.Proxy_Server);
  RegWriteStringLX(key.Root, key.Path, kUsernameValue, settings.Proxy_Username);
  RegWriteStringLX(key.Root, key.Path, kPasswordValue, ProtectProxyPassword(settings.Proxy_Password));
}

void TakeOver(const TAdvancedInternetSettings& settings, bool store) {
  bool usedSystemProxy;
  {
    std::lock_guard guard(State().Lock);
    usedSystemProxy = State().Settings.Proxy_UseIE_AutoDetect;
    State().Settings = settings;
  }
  const TSettingsKey key = CurrentKey();
  if (store && !key.Path.empty()) StoreSettings(key, settings);
  if (IsWine()) {
    ForgetCachedHostProxy();
    ApplyProxySettings();
  } else if (!settings.Proxy_UseIE_AutoDetect || usedSystemProxy != settings.Proxy_UseIE_AutoDetect) {
    // The system's settings in use unchanged are already WinInet's.
    ApplyProxySettings();
  }
}

}  // namespace

void GetAdvancedInternetSettings(TAdvancedInternetSettings& settings) {
  std::lock_guard guard(State().Lock);
  settings = State().Settings;
}

TAdvancedInternetSettings GetAdvancedInternetSettings() {
  TAdvancedInternetSettings settings;
  GetAdvancedInternetSettings(settings);
  return settings;
}

void SetAdvancedInternetSettings(const TAdvancedInternetSettings& settings) { TakeOver(settings, true); }

void SetInternetSettingsKey(HKEY root, const std::wstring& path) {
  std::lock_guard guard(State().Lock);
  State().Key = {root, path};
}

void LoadAdvancedInternetSettings() {
  const TSettingsKey key = CurrentKey();
  if (key.Path.empty()) return;
  TAdvancedInternetSettings s = GetAdvancedInternetSettings();
  s.Proxy_UseIE_AutoDetect = RegReadBoolDefLX(key.Root, key.Path, kUseIEValue, s.Proxy_UseIE_AutoDetect);
  s.Proxy_MacAdvanced_AutoDetect =
      RegReadBoolDefLX(key.Root, key.Path, kMacAdvancedValue, s.Proxy_MacAdvanced_AutoDetect);
  s.AllowIndy = RegReadBoolDefLX(key.Root, key.Path, kAllowIndyValue, s.AllowIndy);
  s.ForceIndy = RegReadBoolDefLX(key.Root, key.Path, kForceIndyValue, s.ForceIndy);
  s.Proxy_Server = RegReadStringDefLX(key.Root, key.Path, kServerValue, s.Proxy_Server);
  s.Proxy_Username = RegReadStringDefLX(key.Root, key.Path, kUsernameValue, s.Proxy_Username);
  if (RegValueExistsLX(key.Root, key.Path, kPasswordValue))
    s.Proxy_Password = UnprotectProxyPassword(RegReadStringDefLX(key.Root, key.Path, kPasswordValue, L""));
  TakeOver(s, false);
}

bool UseIEProxySettings() {
  std::lock_guard guard(State().Lock);
  return State().Settings.Proxy_UseIE_AutoDetect;
}

bool UsesOwnProxySettings() { return IsWine() || !UseIEProxySettings(); }

std::wstring GetEffectiveProxyServer() {
  const TAdvancedInternetSettings s = GetAdvancedInternetSettings();
  if (IsWine() && s.Proxy_UseIE_AutoDetect) return GetHostProxy();
  return s.Proxy_Server;
}

TAdvancedSettingsDialogHook SetAdvancedSettingsDialogHook(TAdvancedSettingsDialogHook hook) {
  std::lock_guard guard(State().Lock);
  auto previous = State().DialogHook;
  State().DialogHook = hook;
  return previous;
}

bool ShowAdvancedInternetSettings() {
  TAdvancedSettingsDialogHook hook;
  {
    std::lock_guard guard(State().Lock);
    hook = State().DialogHook;
  }
  return hook && hook(kSettingsDialogProxyPage | kSettingsDialogConnectionDetectionPage);
}

TConnectionIssueReportHook SetConnectionIssueReportHook(TConnectionIssueReportHook hook) {
  std::lock_guard guard(State().Lock);
  auto previous = State().ReportHook;
  State().ReportHook = hook;
  return previous;
}

bool ReportConnectionIssue() {
  TConnectionIssueReportHook hook;
  {
    std::lock_guard guard(State().Lock);
    hook = State().ReportHook;
  }
  return hook && hook();
}

}  // namespace hv
