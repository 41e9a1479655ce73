// What WinInet is given for the whole process.
#include <gtest/gtest.h>

#include "HvLXHost.h"
#include "HvLXInternetSettings.h"
#include "HvLXProcessProxy.h"
#include "HvLXRegistry.h"
#include "InternetTestSupport.h"

namespace {

using hv::TAdvancedInternetSettings;

// What WinInet was given last, and how often.
struct Given {
  static inline hv::TProcessProxy last;
  static inline int count = 0;
  static void Take(const hv::TProcessProxy& proxy) {
    last = proxy;
    ++count;
  }
};

TAdvancedInternetSettings SystemSettings(bool useSystem) {
  TAdvancedInternetSettings s;
  s.Proxy_UseIE_AutoDetect = useSystem;
  return s;
}

// As on Windows: the process option carries the proxy.
class ProxyApply : public testing::Test {
 protected:
  inettest::ScopedInternetState state;
  hv::ScopedHostPins pins{{.wine = false, .wineTricks = false}};
  hv::ScopedProcessProxySetter setter{&Given::Take};
  // What was given before each test reads as a named proxy, so that only a call shows direct
  // access.
  void SetUp() override {
    Given::count = 0;
    Given::last = {3, "before.test:1", "before"};
  }
};

TEST_F(ProxyApply, NoManualProxyMeansDirectAccess) {
  hv::SetAdvancedInternetSettings(SystemSettings(false));
  EXPECT_EQ(Given::count, 1);
  EXPECT_EQ(Given::last.AccessType, 1u);  // direct
  EXPECT_EQ(Given::last.Proxy, "");
  EXPECT_EQ(Given::last.Bypass, "");
}

TEST_F(ProxyApply, TheSystemsListsAreGivenBlankSeparated) {
  hv::RegWriteIntegerLX(HKEY_CURRENT_USER, inettest::kInternetSettingsKey, L"ProxyEnable", 1);
  hv::RegWriteStringLX(HKEY_CURRENT_USER, inettest::kInternetSettingsKey, L"ProxyServer", L"a.test:1;b.test:2");
  hv::RegWriteStringLX(HKEY_CURRENT_USER, inettest::kInternetSettingsKey, L"ProxyOverride", L"*.local;<local>");
  hv::SetAdvancedInternetSettings(SystemSettings(false));
  hv::SetAdvancedInternetSettings(SystemSettings(true));
  EXPECT_EQ(Given::last.AccessType, 3u);  // a named proxy
  EXPECT_EQ(Given::last.Proxy, "a.test:1 b.test:2");
  EXPECT_EQ(Given::last.Bypass, "*.local <local>");
}

// The system's settings kept in use are not given again; own settings are, each time.
TEST_F(ProxyApply, UnchangedSystemSettingsAreAppliedOnce) {
  TAdvancedInternetSettings manual = SystemSettings(false);
  manual.Proxy_Server = L"manual.test:3128";
  const struct {
    TAdvancedInternetSettings settings;
    int given;
  } steps[] = {{manual, 1}, {manual, 1}, {SystemSettings(true), 1}, {SystemSettings(true), 0}, {SystemSettings(true), 0}};
  int row = 0;
  for (const auto& step : steps) {
    Given::count = 0;
    hv::SetAdvancedInternetSettings(step.settings);
    EXPECT_EQ(Given::count, step.given) << "step " << row++;
  }
  EXPECT_EQ(Given::last.AccessType, 1u);
}

TEST_F(ProxyApply, UnderWineTheSystemValuesFollowTheSettings) {
  hv::ScopedHostPins wine({.wine = true, .wineTricks = true});
  hv::SetAdvancedInternetSettings(SystemSettings(true));
  Given::count = 0;
  TAdvancedInternetSettings manual = SystemSettings(false);
  manual.Proxy_Server = L"manual.test:3128";
  hv::SetAdvancedInternetSettings(manual);
  EXPECT_EQ(hv::RegReadIntegerLX(HKEY_CURRENT_USER, inettest::kInternetSettingsKey, L"ProxyEnable"), 1);
  EXPECT_EQ(hv::RegReadStringLX(HKEY_CURRENT_USER, inettest::kInternetSettingsKey, L"ProxyServer"), L"manual.test:3128");
  hv::SetAdvancedInternetSettings(SystemSettings(true));  // no host proxy in the environment
  EXPECT_EQ(hv::RegReadIntegerLX(HKEY_CURRENT_USER, inettest::kInternetSettingsKey, L"ProxyEnable"), 0);
  EXPECT_EQ(hv::RegReadStringLX(HKEY_CURRENT_USER, inettest::kInternetSettingsKey, L"ProxyServer"), L"");
  EXPECT_EQ(Given::count, 0);  // Wine's WinInet reads the values instead
}

}  // namespace
