// WinHTTP callers of the process get the proxy of the settings through the replaced query.
#include <gtest/gtest.h>

#include "HvLXHost.h"
#include "HvLXInternetSettings.h"
#include "HvLXWinHttpProxy.h"
#include "HvLoopbackHttp.h"
#include "HvTinyProxy.h"
#include "InternetTestSupport.h"

#include <winhttp.h>

namespace {

struct IEProxyConfig : WINHTTP_CURRENT_USER_IE_PROXY_CONFIG {
  BOOL result;
  IEProxyConfig() : WINHTTP_CURRENT_USER_IE_PROXY_CONFIG{}, result(WinHttpGetIEProxyConfigForCurrentUser(this)) {}
  // The caller frees the strings, as the system's own answer asks.
  ~IEProxyConfig() {
    for (LPWSTR text : {lpszAutoConfigUrl, lpszProxy, lpszProxyBypass})
      if (text) GlobalFree(text);
  }
  std::wstring Proxy() const { return lpszProxy ? lpszProxy : L""; }
};

hv::TAdvancedInternetSettings Manual(const std::wstring& server) {
  hv::TAdvancedInternetSettings s;
  s.Proxy_UseIE_AutoDetect = false;
  s.Proxy_Server = server;
  return s;
}

TEST(WinHttpProxy, TheQueryAnswersTheProxyOfTheSettings) {
  ASSERT_TRUE(hv::WinHttpProxyReplacementInstalled());
  inettest::ScopedInternetState state;
  hv::SetAdvancedInternetSettings(Manual(L"manual.test:3128"));
  {
    IEProxyConfig config;
    EXPECT_TRUE(config.result);
    EXPECT_FALSE(config.fAutoDetect);
    EXPECT_EQ(config.Proxy(), L"manual.test:3128");
    EXPECT_EQ(config.lpszAutoConfigUrl, nullptr);
    EXPECT_EQ(config.lpszProxyBypass, nullptr);
  }
  hv::SetAdvancedInternetSettings(Manual(L""));
  {
    IEProxyConfig config;
    EXPECT_TRUE(config.result);
    EXPECT_FALSE(config.fAutoDetect);
    EXPECT_EQ(config.Proxy(), L"");
  }
  EXPECT_FALSE(WinHttpGetIEProxyConfigForCurrentUser(nullptr));
}

// A component of the process that knows nothing of the settings: it finds the query in
// winhttp.dll at run time, as a module loaded later does, and connects the way its answer
// says. The HTTP status it got, or 0 when it reached nothing.
DWORD FetchAsAWinHttpComponent(const wchar_t* host, const wchar_t* path) {
  using TQuery = BOOL(WINAPI*)(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG*);
  const auto query =
      reinterpret_cast<TQuery>(GetProcAddress(GetModuleHandleW(L"winhttp.dll"), "WinHttpGetIEProxyConfigForCurrentUser"));
  if (!query) return 0;
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
  if (!query(&config)) return 0;
  const bool named = config.lpszProxy && *config.lpszProxy;
  HINTERNET session = WinHttpOpen(L"HvInternetTest", named ? WINHTTP_ACCESS_TYPE_NAMED_PROXY : WINHTTP_ACCESS_TYPE_NO_PROXY,
                                  named ? config.lpszProxy : WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  for (LPWSTR text : {config.lpszAutoConfigUrl, config.lpszProxy, config.lpszProxyBypass})
    if (text) GlobalFree(text);
  if (!session) return 0;
  DWORD status = 0, size = sizeof(status);
  HINTERNET connection = WinHttpConnect(session, host, 80, 0);
  HINTERNET request = connection ? WinHttpOpenRequest(connection, L"GET", path, nullptr, WINHTTP_NO_REFERER,
                                                      WINHTTP_DEFAULT_ACCEPT_TYPES, 0)
                                 : nullptr;
  if (request && WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
      WinHttpReceiveResponse(request, nullptr))
    WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                        &status, &size, WINHTTP_NO_HEADER_INDEX);
  for (HINTERNET h : {request, connection, session})
    if (h) WinHttpCloseHandle(h);
  return status;
}

// Only the proxy reaches hosts below ".only-proxy.test": a component gets there exactly while
// the settings name the proxy.
TEST(WinHttpProxy, AWinHttpComponentFollowsTheSettingsWithoutKnowingThem) {
  inettest::ScopedInternetState state;
  hvtest::LoopbackHttpServer server;
  hvtest::TinyProxyOptions options;
  options.upstreamDomain = L".only-proxy.test";
  options.upstreamPort = server.Port();
  hvtest::TinyProxy proxy(options);
  ASSERT_TRUE(proxy.Running()) << proxy.StartError();

  hv::SetAdvancedInternetSettings(Manual(proxy.Address()));
  EXPECT_EQ(FetchAsAWinHttpComponent(L"site.only-proxy.test", L"/ok"), 200u);
  EXPECT_NE(proxy.Log().find("site.only-proxy.test"), std::string::npos) << proxy.Log();

  hv::SetAdvancedInternetSettings(Manual(L""));
  EXPECT_EQ(FetchAsAWinHttpComponent(L"site.only-proxy.test", L"/other"), 0u) << "direct: out of reach";
  EXPECT_EQ(proxy.Log().find("/other"), std::string::npos) << proxy.Log();
}

}  // namespace
