// The settings record, its stored form and the hooks the dialogs install.
#include <gtest/gtest.h>

#include "HvLXHost.h"
#include "HvLXInternetSettings.h"
#include "HvLXProxyPassword.h"
#include "HvLXRegistry.h"
#include "HvTestRegistry.h"
#include "InternetTestSupport.h"

namespace {

using hv::TAdvancedInternetSettings;

TEST(InternetSettings, StartValues) {
  const TAdvancedInternetSettings s = hv::GetAdvancedInternetSettings();
  EXPECT_TRUE(s.Proxy_UseIE_AutoDetect);
  EXPECT_TRUE(s.AllowIndy);
  EXPECT_FALSE(s.ForceIndy || s.AutoPrime_Enable || s.AlwaysReport_InternetAsConnected || s.Proxy_MacAdvanced_AutoDetect);
  EXPECT_EQ(s.AutoPrime_MaxTrialCount + s.AutoPrime_PostDelay, 0);
  EXPECT_TRUE(s.AutoPrime_URL.empty() && s.Proxy_Server.empty() && s.Proxy_Username.empty() && s.Proxy_Password.empty());
  EXPECT_EQ(s, TAdvancedInternetSettings{});
}

TEST(InternetSettings, StoredSettingsComeBackWithThePasswordProtected) {
  inettest::ScopedInternetState state;
  hvtest::ScratchKey key;
  hv::SetInternetSettingsKey(HKEY_CURRENT_USER, key.Path());
  TAdvancedInternetSettings s;
  s.Proxy_UseIE_AutoDetect = false;
  s.Proxy_MacAdvanced_AutoDetect = true;
  s.AllowIndy = false;
  s.ForceIndy = true;
  s.Proxy_Server = L"127.0.0.1:1";
  s.Proxy_Username = L"J\u00F6rg";
  s.Proxy_Password = L"p\u00E4ss w\u00F6rd \U0001F511";
  s.AutoPrime_Enable = true;
  s.AutoPrime_URL = L"http://probe.test/";
  hv::SetAdvancedInternetSettings(s);

  const std::wstring stored = hv::RegReadStringLX(HKEY_CURRENT_USER, key.Path(), L"Proxy_Password");
  EXPECT_FALSE(stored.empty());
  EXPECT_EQ(stored.find(L"p\u00E4ss"), std::wstring::npos);
  EXPECT_EQ(hv::RegReadStringLX(HKEY_CURRENT_USER, key.Path(), L"Proxy_Username"), L"J\u00F6rg");
  EXPECT_TRUE(hv::RegReadBoolLX(HKEY_CURRENT_USER, key.Path(), L"ForceIndy"));
  EXPECT_FALSE(hv::RegValueExistsLX(HKEY_CURRENT_USER, key.Path(), L"AutoPrime_URL"));

  hv::SetAdvancedInternetSettings(TAdvancedInternetSettings{});  // stores the start values
  hv::RegWriteStringLX(HKEY_CURRENT_USER, key.Path(), L"Proxy_Password", stored);
  hv::RegWriteBoolLX(HKEY_CURRENT_USER, key.Path(), L"Proxy_UseIE", false);
  hv::LoadAdvancedInternetSettings();
  const TAdvancedInternetSettings loaded = hv::GetAdvancedInternetSettings();
  EXPECT_EQ(loaded.Proxy_Password, s.Proxy_Password);
  EXPECT_FALSE(loaded.Proxy_UseIE_AutoDetect);
}

// A value that does not decrypt (another user's, damaged, from before) is no password.
TEST(InternetSettings, AStoredPasswordThatCannotBeReadIsEmpty) {
  const std::wstring good = hv::ProtectProxyPassword(L"secret");
  ASSERT_EQ(hv::UnprotectProxyPassword(good), L"secret");
  std::wstring damaged = good;
  damaged[damaged.size() - 8] = damaged[damaged.size() - 8] == L'A' ? L'B' : L'A';  // in the sealed text
  for (const std::wstring& stored : {std::wstring(L"secret"), std::wstring(L"dp1:"), std::wstring(L"dp1:!!!!"),
                                     std::wstring(L"dp1:AAAAAAAAAAAAAAAA"), damaged, std::wstring()})
    EXPECT_EQ(hv::UnprotectProxyPassword(stored), L"") << stored;
  EXPECT_EQ(hv::ProtectProxyPassword(L""), L"");
}

TEST(InternetSettings, DialogAndConnectionHooks) {
  // Programs that link the dialogs have them installed at start; here the layer stands alone.
  auto installedDialog = hv::SetAdvancedSettingsDialogHook(nullptr);
  auto installedReport = hv::SetConnectionIssueReportHook(nullptr);
  EXPECT_FALSE(hv::ShowAdvancedInternetSettings());
  EXPECT_FALSE(hv::ReportConnectionIssue());
  static int flagsSeen;
  auto previous = hv::SetAdvancedSettingsDialogHook([](std::uint8_t flags) {
    flagsSeen = flags;
    return true;
  });
  EXPECT_EQ(previous, nullptr);
  EXPECT_TRUE(hv::ShowAdvancedInternetSettings());
  EXPECT_EQ(flagsSeen, 3);
  hv::SetAdvancedSettingsDialogHook(nullptr);
  hv::SetConnectionIssueReportHook([] { return true; });
  EXPECT_TRUE(hv::ReportConnectionIssue());
  hv::SetConnectionIssueReportHook(installedReport);
  hv::SetAdvancedSettingsDialogHook(installedDialog);
}

TEST(InternetSettings, WhoseProxyIsUsed) {
  inettest::ScopedInternetState state;
  TAdvancedInternetSettings manual;
  manual.Proxy_UseIE_AutoDetect = false;
  manual.Proxy_Server = L"manual.test:3128";
  inettest::SetEnvironment(L"http_proxy", L"http://host.test:8080/");
  struct Case {
    bool wine;
    bool systemSettings;
    bool ownSettings;
    const wchar_t* effective;
  } cases[] = {
      {false, true, false, L""},
      {false, false, true, L"manual.test:3128"},
      {true, true, true, L"host.test:8080"},
      {true, false, true, L"manual.test:3128"},
  };
  for (const Case& c : cases) {
    hv::ScopedHostPins pins({.wine = c.wine, .wineTricks = c.wine});
    TAdvancedInternetSettings s = manual;
    s.Proxy_UseIE_AutoDetect = c.systemSettings;
    if (c.systemSettings) s.Proxy_Server.clear();
    hv::SetAdvancedInternetSettings(s);
    EXPECT_EQ(hv::UseIEProxySettings(), c.systemSettings);
    EXPECT_EQ(hv::UsesOwnProxySettings(), c.ownSettings) << c.wine << c.systemSettings;
    EXPECT_EQ(hv::GetEffectiveProxyServer(), c.effective) << c.wine << c.systemSettings;
  }
}

}  // namespace
