#include "HvWindows.h"

#include <urlmon.h>

#include "HvLXInternetSettings.h"
#include "HvLXRegistry.h"
#include "HvLXStrings.h"

namespace hv {

bool IsWorkingOffline() { return RegReadBoolDefLX(HKEY_CURRENT_USER, L"Software\\Halvern", L"WorkOffline", false); }

bool UrlUsesNetwork(const std::wstring& url) {
  if (url.empty()) return false;
  DWORD usesNetwork = 0;
  DWORD size = 0;
  const HRESULT result = CoInternetQueryInfo(url.c_str(), QUERY_USES_NETWORK, 0, &usesNetwork, sizeof(usesNetwork), &size, 0);
  return SUCCEEDED(result) && usesNetwork != 0;
}

bool IsUrlAllowed(const std::wstring& url) { return !IsWorkingOffline() || !UrlUsesNetwork(url); }

}  // namespace hv
