#include "HvWindows.h"

#include <urlmon.h>

#include "HvLXHost.h"
#include "HvLXInternetSettings.h"
#include "HvLXRegistry.h"
#include "HvLXStrings.h"

namespace hv {
namespace {

// Where the system's protocol handlers cannot tell (Wine's say "no network" for every link):
// only what is on this computer needs no network.
bool SchemeUsesNetwork(const std::wstring& url) {
  for (const wchar_t* local : {L"file:", L"res:", L"about:", L"mk:", L"its:", L"ms-its:", L"javascript:"})
    if (StartsTextLX(local, url)) return false;
  const bool drivePath = url.size() >= 2 && url[1] == L':';
  const bool sharePath = StartsStrLX(L"\\\\", url);
  return !drivePath && !sharePath;
}

}  // namespace

bool IsWorkingOffline() { return RegReadBoolDefLX(HKEY_CURRENT_USER, L"Software\\Halvern", L"WorkOffline", false); }

bool UrlUsesNetwork(const std::wstring& url) {
  if (url.empty()) return false;
  if (IsWine()) return SchemeUsesNetwork(url);
  DWORD usesNetwork = 0;
  DWORD size = 0;
  const HRESULT result =
      CoInternetQueryInfo(url.c_str(), QUERY_USES_NETWORK, 0, &usesNetwork, sizeof(usesNetwork), &size, 0);
  if (FAILED(result)) return SchemeUsesNetwork(url);
  return usesNetwork != 0;
}

bool IsUrlAllowed(const std::wstring& url) { return !IsWorkingOffline() || !UrlUsesNetwork(url); }

}  // namespace hv
