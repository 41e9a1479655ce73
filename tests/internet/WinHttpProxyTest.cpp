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

TEST(WinHttpProxy, AWinHttpClientReachesThroughTheProxyItIsGiven) {
  inettest::ScopedInternetState state;
  hvtest::LoopbackHttpServer server;
  hvtest::TinyProxyOptions options;
  options.upstreamDomain = L".only-proxy.test";
  options.upstreamPort = server.Port();
  hvtest::TinyProxy proxy(options);
  ASSERT_TRUE(proxy.Running()) << proxy.StartError();
  hv::SetAdvancedInternetSettings(Manual(proxy.Address()));

  IEProxyConfig config;
  ASSERT_EQ(config.Proxy(), proxy.Address());
  HINTERNET session = WinHttpOpen(L"HvInternetTest", WINHTTP_ACCESS_TYPE_NAMED_PROXY, config.lpszProxy,
                                  WINHTTP_NO_PROXY_BYPASS, 0);
  ASSERT_NE(session, nullptr);
  HINTERNET connection = WinHttpConnect(session, L"site.only-proxy.test", 80, 0);
  HINTERNET request = WinHttpOpenRequest(connection, L"GET", L"/ok", nullptr, WINHTTP_NO_REFERER,
                                         WINHTTP_DEFAULT_ACCEPT_TYPES, 0);
  ASSERT_TRUE(WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
      << GetLastError();
  ASSERT_TRUE(WinHttpReceiveResponse(request, nullptr)) << GetLastError();
  DWORD status = 0, size = sizeof(status);
  WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                      &status, &size, WINHTTP_NO_HEADER_INDEX);
  EXPECT_EQ(status, 200u);
  for (HINTERNET h : {request, connection, session}) WinHttpCloseHandle(h);
  EXPECT_NE(proxy.Log().find("site.only-proxy.test"), std::string::npos);
}

}  // namespace
