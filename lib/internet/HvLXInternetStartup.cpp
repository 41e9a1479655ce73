// What the internet layer sets up in every program that links it, before main runs: WinInet's
// time-outs and connections per server, the WinHTTP proxy replacement and, under Wine, the
// clearing of the URL cache at exit.
#include "HvLXExitCleanup.h"
#include "HvLXHost.h"
#include "HvLXUrlCache.h"
#include "HvLXWinHttpProxy.h"
#include "HvLXWinInetUtils.h"

namespace hv {
namespace {

// Before the event log files are trimmed and the temporary files go.
constexpr int kExitOrderUrlCache = 50;

void ClearUrlCacheUnderWine() {
  // Wine keeps the cache in the prefix, where nothing else would ever empty it.
  if (IsWine()) ClearUrlCache();
}

bool StartInternetLayer() {
  ScheduleInitWinInet();
  InstallWinHttpProxyReplacement();
  AddExitCleanup(kExitOrderUrlCache, &ClearUrlCacheUnderWine);
  return true;
}

}  // namespace
}  // namespace hv

extern const bool HvInternetStartedAtStart;
const bool HvInternetStartedAtStart = hv::StartInternetLayer();
