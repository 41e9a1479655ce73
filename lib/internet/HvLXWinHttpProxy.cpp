#include "HvLXWinHttpProxy.h"

#include <cstring>
#include <string>
#include <type_traits>

#include "HvWindows.h"

#include <winhttp.h>

#include "HvExceptions.h"
#include "HvLXHookFunction.h"
#include "HvLXInternetSettings.h"

namespace hv {
namespace {

using TGetIEProxyConfig = BOOL(WINAPI*)(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG*);

// The system's answer at start, for callers while the system's settings are in use.
struct TCapturedAnswer {
  BOOL Result = FALSE;
  BOOL AutoDetect = FALSE;
  std::wstring AutoConfigUrl, Proxy, ProxyBypass;
};
// Filled by start-up code of another unit, before this unit's objects would be made.
TCapturedAnswer& Captured() {
  static TCapturedAnswer answer;
  return answer;
}
constinit bool gInstalled = false;

std::wstring TakeGlobalString(LPWSTR text) {
  if (!text) return {};
  std::wstring copy = text;
  GlobalFree(text);
  return copy;
}

// Callers free the strings of the answer with GlobalFree, as the export's contract asks, so
// each answer gets its own copies; an empty text is no string at all.
LPWSTR NewGlobalString(const std::wstring& text) {
  if (text.empty()) return nullptr;
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  auto* copy = static_cast<LPWSTR>(GlobalAlloc(GMEM_FIXED, bytes));
  if (copy) std::memcpy(copy, text.c_str(), bytes);
  return copy;
}

BOOL WINAPI ReplacementGetIEProxyConfig(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG* config) noexcept {
  if (!config) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  try {
    if (UsesOwnProxySettings()) {
      *config = {FALSE, nullptr, NewGlobalString(GetEffectiveProxyServer()), nullptr};
      return TRUE;
    }
    const TCapturedAnswer& captured = Captured();
    if (captured.Result)
      *config = {captured.AutoDetect, NewGlobalString(captured.AutoConfigUrl), NewGlobalString(captured.Proxy),
                 NewGlobalString(captured.ProxyBypass)};
    return captured.Result;
  } catch (...) {
    // No exception may cross into the caller, which is not ours.
    SetLastError(ERROR_WINHTTP_INTERNAL_ERROR);
    return FALSE;
  }
}

}  // namespace

void InstallWinHttpProxyReplacement() {
  if (gInstalled || !LibraryIsInsideTheProgram()) return;
  HMODULE winHttp = LoadLibraryExW(L"winhttp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!winHttp) return;
  auto original = reinterpret_cast<TGetIEProxyConfig>(
      reinterpret_cast<void*>(GetProcAddress(winHttp, "WinHttpGetIEProxyConfigForCurrentUser")));
  if (!original) return;
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG answer{};
  TCapturedAnswer& captured = Captured();
  captured.Result = original(&answer);
  if (captured.Result) {
    captured.AutoDetect = answer.fAutoDetect;
    captured.AutoConfigUrl = TakeGlobalString(answer.lpszAutoConfigUrl);
    captured.Proxy = TakeGlobalString(answer.lpszProxy);
    captured.ProxyBypass = TakeGlobalString(answer.lpszProxyBypass);
  }
  try {
    HookFunction<std::remove_pointer_t<TGetIEProxyConfig>>(original, &ReplacementGetIEProxyConfig);
    gInstalled = true;
  } catch (const Exception&) {
    // HookFunction left the export whole; WinHTTP callers then get the system's settings.
  }
}

bool WinHttpProxyReplacementInstalled() { return gInstalled; }

}  // namespace hv
