#include "HvLXHostEnvironment.h"

#include "HvLXRegistry.h"
#include "HvLXStrings.h"
#include "HvLXSystemText.h"
#include "HvLXTempCleanup.h"
#include "HvWindows.h"

namespace hv {
namespace {
bool gPathExtFixed = false;
}

void SetEnvironmentVariableLX(const std::wstring& name, const std::wstring& value, bool persist, bool broadcast) {
  if (persist) RegWriteStringLX(HKEY_CURRENT_USER, L"Environment", name, value);
  SetEnvironmentVariableW(name.c_str(), value.c_str());
  if (broadcast && LibraryIsInProgramModule())
    SendMessageW(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"));
}

void EnsurePathExtHasDot() {
  if (gPathExtFixed) return;
  gPathExtFixed = true;
  const std::wstring pathExt = GetEnvironmentValue(L"PATHEXT");
  std::wstring items = pathExt;
  for (wchar_t& c : items)
    if (c == L' ') c = L';';  // blanks separate items too
  for (const std::wstring& item : SplitLX(items, L";", true))
    if (item == L".") return;
  SetEnvironmentVariableLX(L"PATHEXT", pathExt + L";.", true, false);
}

}  // namespace hv
