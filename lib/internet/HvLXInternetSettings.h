// The library's internet settings: how a proxy is found (the system's settings, a manual proxy
// with credentials, detection on the host under Wine), connection probing, and which HTTP engine
// downloads may use. The settings are applied to WinInet for the whole process and, through the
// replaced WinHTTP proxy query, to components built on WinHTTP.
#pragma once

#include <cstdint>
#include <string>

#include "HvWindows.h"

namespace hv {

struct TAdvancedInternetSettings {
  bool AutoPrime_Enable = false;         // try to connect a few times before reporting no connection
  int AutoPrime_MaxTrialCount = 0;
  std::wstring AutoPrime_URL;
  int AutoPrime_PostDelay = 0;           // milliseconds after each attempt
  bool AlwaysReport_InternetAsConnected = false;
  bool Proxy_UseIE_AutoDetect = true;    // the system's proxy settings; under Wine: detect on the host
  bool Proxy_MacAdvanced_AutoDetect = false;  // under Wine on a Mac: ask the Mac's network settings
  std::wstring Proxy_Server;             // manual proxy, "host:port"
  std::wstring Proxy_Username;
  std::wstring Proxy_Password;
  // The choice of HTTP engine offered by the settings dialog: WinInet only (both false),
  // the alternative engine when a proxy is used or TLS 1.2 is required (AllowIndy), or always
  // (ForceIndy). This library ships WinInet alone, so the choice is only kept and stored for a
  // program that brings the alternative engine; nothing here acts on it.
  bool AllowIndy = true;
  bool ForceIndy = false;

  friend bool operator==(const TAdvancedInternetSettings&, const TAdvancedInternetSettings&) = default;
};

// A copy of the current settings; at start the values above.
void GetAdvancedInternetSettings(TAdvancedInternetSettings& settings);
TAdvancedInternetSettings GetAdvancedInternetSettings();
// Takes over all fields. With a settings key set, the proxy and engine choices are stored there
// (the password protected for the current Windows user). Under Wine the host proxy is detected
// afresh and applied; otherwise the proxy is applied only when the settings name their own
// proxy or the choice of the system's settings has just changed.
void SetAdvancedInternetSettings(const TAdvancedInternetSettings& settings);

// Where SetAdvancedInternetSettings stores the settings; an empty path (the start value) stores
// nothing. The values: "Proxy_UseIE", "Proxy_MacAdvanced", "AllowIndy", "ForceIndy" (Booleans),
// "Proxy_Server", "Proxy_Username", "Proxy_Password" (strings).
void SetInternetSettingsKey(HKEY root, const std::wstring& path);
// Reads what SetAdvancedInternetSettings stored under the settings key into the current
// settings (missing values keep theirs) and applies them as SetAdvancedInternetSettings does.
// A password that cannot be recovered (stored by another user or machine, damaged) reads as
// empty. Nothing happens without a settings key.
void LoadAdvancedInternetSettings();

// The current Proxy_UseIE_AutoDetect.
bool UseIEProxySettings();
// Under Wine always; otherwise when the settings do not take the system's proxy.
bool UsesOwnProxySettings();
// Under Wine with Proxy_UseIE_AutoDetect: GetHostProxy; otherwise Proxy_Server.
std::wstring GetEffectiveProxyServer();

// Makes WinInet follow the current settings for the whole process; under Wine it also writes
// HKCU "...\Internet Settings" values "ProxyEnable" and "ProxyServer", which Wine's WinInet
// reads (and raises as the registry writes do).
void ApplyProxySettings();

// Under Wine only (an internal error elsewhere). The host's proxy: "http_proxy" of the host
// environment or, on a Mac with useMacSettings, the web proxies of the active network port
// ("host:port", or "http=...;https=..." when they differ); empty for none. GetHostProxy keeps
// its first answer (with Proxy_MacAdvanced_AutoDetect) until SetAdvancedInternetSettings;
// RedetectHostProxy always asks the host and leaves that answer alone.
std::wstring GetHostProxy();
std::wstring RedetectHostProxy(bool useMacSettings);

// HKCU "Software\Halvern" value "WorkOffline".
bool IsWorkingOffline();
// Whether opening `url` may leave this computer: false only for an empty text, a path on a
// local drive, a file link to one and "about:blank". A share, another machine's file link, a
// mapped network drive and every other scheme (web, mail, script, help file) count as network
// use, so that they are asked about before they open.
bool UrlUsesNetwork(const std::wstring& url);
// Not working offline, or the link needs no network.
bool IsUrlAllowed(const std::wstring& url);

// Whether the system's network diagnostics can be started, and starting them.
bool NetworkDiagnosticsAvailable();
void RunNetworkDiagnostics();
// Test seam: within the scope the diagnostics count as available or not, whatever the system
// holds (Wine has none), so both ways of the dialogs can be seen.
class ScopedNetworkDiagnosticsAvailable {
 public:
  explicit ScopedNetworkDiagnosticsAvailable(bool available);
  ~ScopedNetworkDiagnosticsAvailable();
  ScopedNetworkDiagnosticsAvailable(const ScopedNetworkDiagnosticsAvailable&) = delete;
  ScopedNetworkDiagnosticsAvailable& operator=(const ScopedNetworkDiagnosticsAvailable&) = delete;

 private:
  int FSaved;
};

// The settings dialog, shown through the hook that the dialog layer installs. Flags: which
// pages it shows.
constexpr std::uint8_t kSettingsDialogProxyPage = 1;
constexpr std::uint8_t kSettingsDialogConnectionDetectionPage = 2;  // when Shift is held
using TAdvancedSettingsDialogHook = bool (*)(std::uint8_t flags);
// Installs `hook` (nullptr removes it) and answers the one it replaces.
TAdvancedSettingsDialogHook SetAdvancedSettingsDialogHook(TAdvancedSettingsDialogHook hook);
// Calls the hook with both page flags; true when the user confirmed new settings, false
// without a hook.
bool ShowAdvancedInternetSettings();

// How a download reports that it found no connection: the dialog layer installs a hook that
// asks the user. The hook answers true for "try again", false to give up, or raises EAbort
// when the user cancels.
using TConnectionIssueReportHook = bool (*)();
TConnectionIssueReportHook SetConnectionIssueReportHook(TConnectionIssueReportHook hook);
// Calls the hook; false without one.
bool ReportConnectionIssue();

}  // namespace hv
