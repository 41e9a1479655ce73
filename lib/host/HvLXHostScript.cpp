#include "HvLXHostScript.h"

#include "HvExceptions.h"
#include "HvLXHost.h"

namespace hv {
namespace {
THostShell gShell;
}

void InstallHostShell(const THostShell& shell) { gShell = shell; }

std::wstring Wine_RunScript(const std::wstring& title, const std::wstring& scriptText,
                            const std::wstring& progressMessage) {
  if (!gShell.RunScript) throw EHvInternalError(L"Internal Error: No host script runner is installed.");
  return gShell.RunScript(title, scriptText, progressMessage);
}

bool HostShellAvailable() { return IsWine() && !IsChromeOS() && gShell.ShellExists && gShell.ShellExists(); }

std::wstring HostShellWord(const std::wstring& text) {
  std::wstring word = L"'";
  for (wchar_t c : text) word += c == L'\'' ? std::wstring(L"'\\''") : std::wstring(1, c);
  return word + L"'";
}

}  // namespace hv
