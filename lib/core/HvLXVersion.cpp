#include "HvLXVersion.h"

#include <climits>

namespace hv {
namespace {

struct TWindowsVersion {
  DWORD major = 0, minor = 0;
};

TWindowsVersion ReadWindowsVersion() {
  using RtlGetVersionProc = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  auto rtlGetVersion = reinterpret_cast<RtlGetVersionProc>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  if (rtlGetVersion && rtlGetVersion(&info) == 0) return {info.dwMajorVersion, info.dwMinorVersion};
  return {};
}

const TWindowsVersion& WindowsVersion() {
  static const TWindowsVersion version = ReadWindowsVersion();
  return version;
}

bool AtLeast(DWORD major, DWORD minor) {
  return VersionAtLeast(WindowsVersion().major, WindowsVersion().minor, major, minor);
}

}  // namespace

bool IsVistaOrLater() { return AtLeast(6, 0); }
bool IsWin7OrLater() { return AtLeast(6, 1); }
bool IsWin10OrLater() { return AtLeast(10, 0); }

int ElapsedMs(DWORD startTick) { return ElapsedMs(startTick, GetTickCount()); }

int ElapsedMs(DWORD startTick, DWORD nowTick) {
  if (nowTick < startTick) return INT_MAX;
  DWORD elapsed = nowTick - startTick;
  return elapsed > static_cast<DWORD>(INT_MAX) ? INT_MAX : static_cast<int>(elapsed);
}

}  // namespace hv
