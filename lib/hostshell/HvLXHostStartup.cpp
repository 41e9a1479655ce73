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

}  // namespace

std::optional<std::wstring> RunHostStartupCheck() {
  if (!IsWine() || IsChromeOS() || RegReadBoolDefLX(HKEY_CURRENT_USER, kWineKey, kTestedValue, false)) return std::nullopt;
  if (!HalvernTempFolderIsPrivate()) {
    try {
      GetUserDataFolder();
    } catch (const EOSError& e) {
      if (e.ErrorCode() != kErrorBadExeFormat) return e.ClassName() + L": " + e.Message() + L"\r\n\r\n" + e.StackTrace();
      return L"This program needs to be able to run 32-bit shell scripts.\r\nYou have a 64-bit /bin/bash or "
             L"/bin/sh\r\nLook into \"DebootstrapChroot\" on how to emulate a 32-bit shell.";
    } catch (const Exception& e) {
      return e.ClassName() + L": " + e.Message() + L"\r\n\r\n" + e.StackTrace();
    }
  }
  std::wstring home;
  try {
    home = RememberedAbsHomePath().empty() ? GetAbsHomePath() : RememberedAbsHomePath();
  } catch (const Exception& e) {
    return e.ClassName() + L": " + e.Message() + L"\r\n\r\n" + e.StackTrace();
  }
  if (home.empty())
    return L"This program needs to be able to run /bin/bash or /bin/sh.\r\n\"pwd\" returned nothing.\r\nEnsure that "
           L"/bin/bash or /bin/sh exists.";
  RegWriteBoolLX(HKEY_CURRENT_USER, kWineKey, kTestedValue, true);
  return std::nullopt;
}

}  // namespace hv
