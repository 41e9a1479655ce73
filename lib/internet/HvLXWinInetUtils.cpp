#include "HvLXWinInetUtils.h"

#include <algorithm>
#include <atomic>

#include "HvWindows.h"

#include <wininet.h>

#include "HvLXHookFunction.h"
#include "HvLXWinInetError.h"

namespace hv {
namespace {

constexpr unsigned kDefaultTimeoutMs = 120000;
constexpr int kLeastConnectionsPerServer = 10;
constexpr UINT kDelayedInitMs = 100;

std::atomic<int> gCustomMaxConnectionsPerServer{0};
std::atomic<UINT_PTR> gDelayedInitTimer{0};

// Asks once for the size, then reads (as both WinInet string queries work).
template <class Query>
std::wstring QueryString(Query query) {
  DWORD size = 0;
  query(nullptr, &size);
  if (size == 0) return {};
  std::wstring text(size / 2 + 1, L'\0');
  size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (!query(text.data(), &size)) return {};
  return text.substr(0, text.find(L'\0'));
}

void SetTimeout(HINTERNET handle, DWORD option, unsigned ms) {
  DWORD value = ms == 0 ? kDefaultTimeoutMs : ms;
  if (!InternetSetOptionW(handle, option, &value, sizeof(value)))
    throw EWinInetError(static_cast<int>(GetLastError()), nullptr, nullptr);
}

void CALLBACK DelayedInitWinInet(HWND, UINT, UINT_PTR, DWORD) {
  if (UINT_PTR timer = gDelayedInitTimer.exchange(0)) KillTimer(nullptr, timer);
  try {
    InitWinInet();
  } catch (const Exception&) {
    // Reported when raised; the module goes on with WinInet's own defaults.
  }
}

}  // namespace

void TWinInetUtils::SetCustomMaxConnectionsPerServer(int value) {
  int present = gCustomMaxConnectionsPerServer.load();
  while (value > present && !gCustomMaxConnectionsPerServer.compare_exchange_weak(present, value)) {
  }
  ApplyMaxConnectionsPerServer();
}

std::wstring TWinInetUtils::QueryInfoString(void* hRequest, unsigned infoLevel) {
  return QueryString([&](wchar_t* buffer, DWORD* size) {
    DWORD index = 0;
    return HttpQueryInfoW(hRequest, infoLevel, buffer, size, &index) != FALSE;
  });
}

std::wstring TWinInetUtils::QueryOptionString(void* hInternet, unsigned option) {
  return QueryString([&](wchar_t* buffer, DWORD* size) {
    return InternetQueryOptionW(hInternet, option, buffer, size) != FALSE;
  });
}

void SetWinInetTimeouts(void* hInternet, unsigned sendMs, unsigned receiveMs) {
  SetTimeout(hInternet, INTERNET_OPTION_SEND_TIMEOUT, sendMs);
  SetTimeout(hInternet, INTERNET_OPTION_RECEIVE_TIMEOUT, receiveMs);
}

void ApplyMaxConnectionsPerServer() {
  DWORD connections = static_cast<DWORD>(std::max(kLeastConnectionsPerServer, gCustomMaxConnectionsPerServer.load()));
  InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &connections, sizeof(connections));
  InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &connections, sizeof(connections));
}

void InitWinInet() {
  SetWinInetTimeouts(nullptr, 0, 0);
  ApplyMaxConnectionsPerServer();
}

void ScheduleInitWinInet() {
  if (LibraryIsInsideTheProgram()) {
    DelayedInitWinInet(nullptr, 0, 0, 0);
    return;
  }
  gDelayedInitTimer = SetTimer(nullptr, 0, kDelayedInitMs, &DelayedInitWinInet);
}

}  // namespace hv
