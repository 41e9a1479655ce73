// What the internet layer sets up in every program that links it, before main runs: WinInet's
// time-outs and connections per server, the WinHTTP proxy replacement and, under Wine, the
// clearing of the URL cache at exit.
#include "HvLXExistence.h"
#include "HvLXExitCleanup.h"
#include "HvLXHost.h"
#include "HvLXSpecialFolders.h"
#include "HvLXUrlCache.h"
#include "HvLXWinHttpProxy.h"
#include "HvLXWinInetUtils.h"
#include "HvWindows.h"

#include <shlobj.h>

namespace hv {
namespace {

// After the managed threads have stopped (order 50: a worker still downloading would fill the
// cache again), before the event log files are trimmed and the temporary files go.
constexpr int kExitOrderUrlCache = 60;

void ClearUrlCacheUnderWine() {
  // Wine keeps the cache in the prefix, where nothing else would ever empty it. Asking for its
  // entries creates the cache's index, so a cache that was never filled is left as it is.
  if (IsWine() && FileExistsLX(GetSpecialFolder(CSIDL_INTERNET_CACHE) + L"\\Content.IE5\\index.dat", false))
    ClearUrlCache();
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
