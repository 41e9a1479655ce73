#include "HvLXHostStartup.h"

#include "HvExceptions.h"
#include "HvLXHost.h"
#include "HvLXHostPaths.h"
#include "HvLXRegistry.h"
#include "HvLXSpecialFolders.h"
#include "HvWindows.h"

namespace hv {
namespace {

const wchar_t kWineKey[] = L"Software\\Wine";
const wchar_t kTestedValue[] = L"HalvernTestedLXUtils";
constexpr DWORD kErrorBadExeFormat = 193;

[[noreturn]] void ShowStartupErrorAndExit(const std::wstring& text) {
  MessageBoxW(nullptr, text.c_str(), L"Startup Error", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
  ExitProcess(0);
}

}  // namespace

void RunHostStartupCheck() {
  if (!IsWine() || IsChromeOS() || RegReadBoolDefLX(HKEY_CURRENT_USER, kWineKey, kTestedValue, false)) return;
  if (!HalvernTempFolderIsPrivate()) {
    try {
      GetUserDataFolder();
    } catch (const EOSError& e) {
      if (e.ErrorCode() != kErrorBadExeFormat) ShowStartupErrorAndExit(e.ClassName() + L": " + e.Message() + L"\r\n\r\n" + e.StackTrace());
      ShowStartupErrorAndExit(
          L"This program needs to be able to run 32-bit shell scripts.\r\nYou have a 64-bit /bin/bash or "
          L"/bin/sh\r\nLook into \"DebootstrapChroot\" on how to emulate a 32-bit shell.");
    } catch (const Exception& e) {
      ShowStartupErrorAndExit(e.ClassName() + L": " + e.Message() + L"\r\n\r\n" + e.StackTrace());
    }
  }
  if (RememberedAbsHomePath().empty() && GetAbsHomePath().empty())
    ShowStartupErrorAndExit(
        L"This program needs to be able to run /bin/bash or /bin/sh.\r\n\"pwd\" returned nothing.\r\nEnsure that "
        L"/bin/bash or /bin/sh exists.");
  RegWriteBoolLX(HKEY_CURRENT_USER, kWineKey, kTestedValue, true);
}

}  // namespace hv
