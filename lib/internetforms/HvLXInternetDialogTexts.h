// The texts of the connection and network settings dialogs, in one place for translators.
#pragma once

namespace hv {

// Shared by both dialogs.
inline constexpr wchar_t SRunNetworkDiagnostics[] = L"Run Network Diagnostics...";
inline constexpr wchar_t SCancel[] = L"Cancel";

// The connection dialog.
inline constexpr wchar_t SConnectionNotAvailableCaption[] = L"Connection to the Internet is Not Available";
inline constexpr wchar_t SConnectionNotAvailable[] = L"A connection to the Internet is not available at this time.";
inline constexpr wchar_t SCheckYourNetworkSettings[] = L"Check Your Network Settings";
inline constexpr wchar_t SNetworkSettingsButton[] = L"Network Settings...";
inline constexpr wchar_t SPossibleFirewallIssue[] = L"Possible Personal Firewall Issue";
inline constexpr wchar_t STryAgain[] = L"Try Again";
inline constexpr wchar_t SFirewallDescWine[] =
    L"Make sure that a personal firewall application is not blocking this application.";
inline constexpr wchar_t SFirewallDescWindows[] =
    L"If Microsoft Internet Explorer is able to connect to the Internet, make sure that a personal firewall "
    L"application is not blocking this application.  Some examples include: ZoneAlarm and Norton Internet "
    L"Security.";
inline constexpr wchar_t SNetworkSettingsDescWine[] = L"Verify that your network settings are correct.";
inline constexpr wchar_t SNetworkSettingsDescWindows[] =
    L"This application uses the same settings and components as Microsoft Internet Explorer.  If you are "
    L"having problems connecting this application to the Internet, first make sure that Microsoft Internet "
    L"Explorer is able to connect to the Internet.";
inline constexpr wchar_t SCustomProxyWine[] = L"Note:  You are not auto-detecting proxy settings.";
inline constexpr wchar_t SCustomProxyWindows[] = L"Note:  You are not using proxy settings from Internet Explorer.";

// The network settings dialog.
inline constexpr wchar_t SNetworkSettingsCaption[] = L"Network Settings";
inline constexpr wchar_t SOK[] = L"OK";
inline constexpr wchar_t SProxyPage[] = L"Proxy";
inline constexpr wchar_t STlsSslPage[] = L"TLS/SSL";
inline constexpr wchar_t SConnectionDetectionPage[] = L"Connection Detection";
inline constexpr wchar_t SWebBrowserPage[] = L"Web Browser";
inline constexpr wchar_t SUseIEProxy[] = L"Use Settings from Internet Explorer";
inline constexpr wchar_t SAutodetectProxy[] = L"Autodetect Proxy Settings";
inline constexpr wchar_t SUseMacAdvancedProxy[] = L"Detect proxy from Mac network settings (slower)";
inline constexpr wchar_t SProxyServer[] = L"Proxy Server (hostname:port)";
inline constexpr wchar_t SProxyUsername[] = L"Proxy Username";
inline constexpr wchar_t SProxyPassword[] = L"Proxy Password";
inline constexpr wchar_t SOpenSSL[] = L"OpenSSL";
inline constexpr wchar_t SOpenSSLNever[] = L"Never";
inline constexpr wchar_t SOpenSSLWhenNeeded[] = L"Only when a proxy is used or TLS 1.2 is required";
inline constexpr wchar_t SOpenSSLAlways[] = L"Always";
inline constexpr wchar_t SDefaultChoice[] = L"%s (default)";
inline constexpr wchar_t SDetectingConnection[] = L"Detecting Availability of Internet Connection";
inline constexpr wchar_t SForcePreliminaryAttempts[] = L"Force preliminary connection attempts.";
inline constexpr wchar_t SMaximumAttempts[] = L"Maximum attempts";
inline constexpr wchar_t SUrlToUse[] = L"URL to use";
inline constexpr wchar_t SDelayAfterAttempt[] = L"Delay (msec) after each attempt";
inline constexpr wchar_t SAlwaysReportConnection[] = L"Always report an Internet connection as being available.";
inline constexpr wchar_t SEmbeddedBrowser[] = L"Embedded Browser (Chromium)";
inline constexpr wchar_t SClearCache[] = L"Clear Cache";
inline constexpr wchar_t SDetectedProxy[] = L"Detected: %s";
inline constexpr wchar_t SNoProxy[] = L"<no proxy>";
inline constexpr wchar_t SClearChromiumCacheMissing[] = L"ClearChromiumCache not implemented.";

}  // namespace hv
