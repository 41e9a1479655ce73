// The settings reach WinInet: requests really go through a proxy on loopback (a real
// tinyproxy), which alone can reach hosts below ".only-proxy.test" (it hands them on to the
// test's own server).
#include <gtest/gtest.h>

#include "HvLXHost.h"
#include "HvLXInternetSettings.h"
#include "HvLXProxyCredentials.h"
#include "HvLXRegistry.h"
#include "HvLXWinInetError.h"
#include "HvLoopbackHttp.h"
#include "HvTinyProxy.h"
#include "InternetTestSupport.h"

namespace {

using hv::TAdvancedInternetSettings;
using inettest::Get;

const wchar_t kOnlyProxyUrl[] = L"http://site.only-proxy.test/ok";

hvtest::TinyProxyOptions Upstream(const hvtest::LoopbackHttpServer& server) {
  hvtest::TinyProxyOptions options;
  options.upstreamDomain = L".only-proxy.test";
  options.upstreamPort = server.Port();
  return options;
}

TAdvancedInternetSettings Manual(const std::wstring& server, const std::wstring& user = L"",
                                 const std::wstring& password = L"") {
  TAdvancedInternetSettings s;
  s.Proxy_UseIE_AutoDetect = false;
  s.Proxy_Server = server;
  s.Proxy_Username = user;
  s.Proxy_Password = password;
  return s;
}

TEST(Proxy, AManualProxyCarriesEveryRequest) {
  inettest::ScopedInternetState state;
  hvtest::LoopbackHttpServer server;
  hvtest::TinyProxy proxy(Upstream(server));
  ASSERT_TRUE(proxy.Running()) << proxy.StartError();
  hv::SetAdvancedInternetSettings(Manual(proxy.Address()));
  const inettest::Download d = Get(kOnlyProxyUrl);
  EXPECT_EQ(d.error, 0u);
  EXPECT_EQ(d.status, 200u);
  EXPECT_EQ(d.body, "hello");
  EXPECT_NE(proxy.Log().find("site.only-proxy.test"), std::string::npos) << proxy.Log();

  // Back to direct access: the proxy-only host is out of reach again.
  hv::SetAdvancedInternetSettings(Manual(L""));
  EXPECT_NE(Get(kOnlyProxyUrl).error, 0u);
}

TEST(Proxy, UnderWineTheHostProxyOfTheEnvironmentIsUsed) {
  inettest::ScopedInternetState state;
  hvtest::LoopbackHttpServer server;
  hvtest::TinyProxy proxy(Upstream(server));
  ASSERT_TRUE(proxy.Running()) << proxy.StartError();
  inettest::SetEnvironment(L"http_proxy", L"http://" + proxy.Address() + L"/");
  hv::SetAdvancedInternetSettings(TAdvancedInternetSettings{});  // detect the proxy
  EXPECT_EQ(hv::GetEffectiveProxyServer(), proxy.Address());
  EXPECT_EQ(hv::RegReadStringDefLX(HKEY_CURRENT_USER, inettest::kInternetSettingsKey, L"ProxyServer", L""),
            proxy.Address());
  EXPECT_EQ(hv::RegReadIntegerDefLX(HKEY_CURRENT_USER, inettest::kInternetSettingsKey, L"ProxyEnable", 0), 1);
  // Wine's WinInet also reads the environment itself; without it the values above must do.
  inettest::SetEnvironment(L"http_proxy", std::nullopt);
  const inettest::Download d = Get(kOnlyProxyUrl);
  EXPECT_EQ(d.status, 200u) << d.error;
  EXPECT_NE(proxy.Log().find("site.only-proxy.test"), std::string::npos) << proxy.Log();
}

// The three ways of finding the proxy against one proxy that wants credentials.
TEST(Proxy, CredentialsReachTheProxyWhateverFoundIt) {
  inettest::ScopedInternetState state;
  hvtest::LoopbackHttpServer server;
  hvtest::TinyProxyOptions options = Upstream(server);
  options.username = L"proxyuser";
  options.password = L"s3cret";
  hvtest::TinyProxy proxy(options);
  ASSERT_TRUE(proxy.Running()) << proxy.StartError();

  struct Case {
    const char* name;
    TAdvancedInternetSettings settings;
    std::optional<std::wstring> environment;
    bool systemValues;  // the proxy in the system's settings
  } cases[] = {
      {"manual", Manual(proxy.Address(), L"proxyuser", L"s3cret"), std::nullopt, false},
      // Right after the manual one: the system's settings are applied when taken up again.
      {"the system's settings", TAdvancedInternetSettings{}, std::nullopt, true},
      {"host detection", TAdvancedInternetSettings{}, L"http://proxyuser:s3cret@" + proxy.Address() + L"/", false},
  };
  for (const Case& c : cases) {
    std::optional<hv::ScopedHostPins> windows;
    if (c.systemValues) {
      windows.emplace(hv::HostPins{.wine = false, .wineTricks = false});
      hv::RegWriteIntegerLX(HKEY_CURRENT_USER, inettest::kInternetSettingsKey, L"ProxyEnable", 1);
      hv::RegWriteStringLX(HKEY_CURRENT_USER, inettest::kInternetSettingsKey, L"ProxyServer", proxy.Address());
    }
    inettest::SetEnvironment(L"http_proxy", c.environment);
    hv::SetAdvancedInternetSettings(c.settings);
    if (c.systemValues) {
      // The system keeps the credentials for its own proxy: the library has none to give,
      // and the proxy, which carries the request, asks for them.
      EXPECT_EQ(hv::GetEffectiveProxyCredentials().Username, L"") << c.name;
      EXPECT_EQ(Get(kOnlyProxyUrl, true).status, 407u) << c.name;
      EXPECT_NE(proxy.Log().find("site.only-proxy.test"), std::string::npos) << proxy.Log();
      continue;
    }
    const hv::TProxyCredentials credentials = hv::GetEffectiveProxyCredentials();
    EXPECT_EQ(credentials.Username, L"proxyuser") << c.name;
    EXPECT_EQ(hv::GetEffectiveProxyServer(), proxy.Address()) << c.name;  // never with the credentials
    inettest::SetEnvironment(L"http_proxy", std::nullopt);
    EXPECT_EQ(Get(kOnlyProxyUrl, true).status, 200u) << c.name;
    EXPECT_EQ(Get(kOnlyProxyUrl, false).status, 407u) << c.name;
  }

  // Wrong credentials are refused (tinyproxy answers them with 401, missing ones with 407), and
  // the error told about it gives neither the password nor the header that carried it.
  hv::SetAdvancedInternetSettings(Manual(proxy.Address(), L"proxyuser", L"wrong"));
  std::optional<hv::EWinInetError> error;
  const inettest::Download d = Get(kOnlyProxyUrl, true, 0, [&](void* request, const inettest::Download& outcome) {
    error = hv::EWinInetError::CreateStatus(std::to_wstring(outcome.status), outcome.statusText, request, nullptr, nullptr);
  });
  EXPECT_TRUE(d.status == 401 || d.status == 407) << d.status;
  ASSERT_TRUE(error);
  EXPECT_EQ(error->ExtraInfo().find(L"wrong"), std::wstring::npos) << error->ExtraInfo();
  EXPECT_EQ(error->ExtraInfo().find(L"cHJveHl1c2VyOndyb25n"), std::wstring::npos) << error->ExtraInfo();  // base64
  EXPECT_NE(error->ExtraInfo().find(L"Proxy-Authorization: <hidden>"), std::wstring::npos) << error->ExtraInfo();
}

}  // namespace
