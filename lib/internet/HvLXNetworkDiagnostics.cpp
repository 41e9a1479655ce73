#include <utility>

#include "HvFormat.h"
#include "HvLXExistence.h"
#include "HvLXHost.h"
#include "HvLXHostPaths.h"
#include "HvLXInternetSettings.h"
#include "HvLXMacOpen.h"
#include "HvLXShellOpen.h"
#include "HvLXSpecialFolders.h"
#include "HvLXVersion.h"

namespace hv {
namespace {

// -1: as the system answers; 0 or 1: pinned by a test.
int gPinnedAvailability = -1;

const wchar_t kMacDiagnosticsApp[] = L"/System/Library/CoreServices/Network Diagnostics.app";

std::wstring XpDiagnosticsProgram() { return GetWindowsFolder() + L"\\network diagnostic\\xpnetdiag.exe"; }
std::wstring TroubleshooterProgram() { return GetSystemFolder() + L"\\msdt.exe"; }
std::wstring NetworkingTroubleshooter() { return GetWindowsFolder() + L"\\diagnostics\\system\\networking"; }

bool HasTroubleshooter() {
  return IsWin7OrLater() && FileExistsLX(TroubleshooterProgram(), true) && DirExistsLX(NetworkingTroubleshooter(), true);
}

}  // namespace

bool NetworkDiagnosticsAvailable() {
  if (gPinnedAvailability >= 0) return gPinnedAvailability == 1;
  if (IsMac()) return DirExistsLX(Wine_ConvertNativePathToDos(kMacDiagnosticsApp), true);
  if (!IsVistaOrLater()) return FileExistsLX(XpDiagnosticsProgram(), true);
  return HasTroubleshooter();
}

ScopedNetworkDiagnosticsAvailable::ScopedNetworkDiagnosticsAvailable(bool available)
    : FSaved(std::exchange(gPinnedAvailability, available ? 1 : 0)) {}
ScopedNetworkDiagnosticsAvailable::~ScopedNetworkDiagnosticsAvailable() { gPinnedAvailability = FSaved; }

void RunNetworkDiagnostics() {
  if (IsMac()) {
    std::wstring returnLine;
    AddAppleScriptReturn(nullptr, L"\"\"", returnLine);
    RunAppleScriptChecked(L"OpenNetworkDiagnostics",
                          L"tell application \"Finder\"\r\n"
                          L"  open application file \"Network Diagnostics.app\" of folder \"CoreServices\" of folder "
                          L"\"Library\" of folder \"System\" of startup disk\r\n" +
                              returnLine + L"\r\nend tell",
                          L"");
  } else if (!IsVistaOrLater()) {
    ShellOpenLX(Fmt(L"\"%s\"", XpDiagnosticsProgram()), L"", L"", SW_SHOW);
  } else if (IsWin7OrLater()) {
    ShellOpenLX(Fmt(L"\"%s\"", TroubleshooterProgram()),
                Fmt(L"-ep NetworkDiagnosticsWeb -skip TRUE -path \"%s\"", NetworkingTroubleshooter()), L"", SW_SHOW);
  }
}

}  // namespace hv
