// The Windows version flags: true when the running Windows is at least the version named.
// Read from the kernel's own version record, which, unlike GetVersionEx, does not depend on
// what the program's manifest declares.
#pragma once

#include "HvWindows.h"

namespace hv {

bool IsVistaOrLater();  // 6.0
bool IsWin7OrLater();   // 6.1
bool IsWin10OrLater();  // 10.0

// Whether version major.minor is at least atLeastMajor.atLeastMinor.
constexpr bool VersionAtLeast(DWORD major, DWORD minor, DWORD atLeastMajor, DWORD atLeastMinor) {
  return major > atLeastMajor || (major == atLeastMajor && minor >= atLeastMinor);
}

// Milliseconds since startTick (a GetTickCount value). When the tick count is below startTick
// (it wrapped after 49.7 days) the answer is 2147483647, which callers read as "long ago".
int ElapsedMs(DWORD startTick);
int ElapsedMs(DWORD startTick, DWORD nowTick);

}  // namespace hv
