#include "HvCommandDispatch.h"

#include "HvDetectCommand.h"
#include "HvLXConsole.h"
#include "HvRestoreCommand.h"
#include "HvUninstallCommand.h"
#include "HvWindows.h"

namespace hv {

int RunCommandLine(const TCommandLineParse& parsed) {
  if (!parsed.Command) {
    WriteStdOutLine(parsed.Error);
    return kExitBadCommandLine;
  }
  switch (parsed.Command->Kind) {
    case TCommandKind::Usage:
      for (const std::wstring& line : UsageLines()) WriteStdOutLine(line);
      return kExitSuccess;
    case TCommandKind::Detect: return RunDetectCommand();
    case TCommandKind::Uninstall: return RunUninstallCommand(*parsed.Command, GetCommandLineW());
    case TCommandKind::Restore: return RunRestoreCommand(*parsed.Command, GetCommandLineW());
    case TCommandKind::Window: break;
  }
  return kExitBadCommandLine;
}

int ReportStartupFailure(const TCommandLineParse& parsed, const std::wstring& text) {
  const bool window = parsed.Command && parsed.Command->Kind == TCommandKind::Window;
  if (!window) WriteStdOutLine(L"Startup Error: " + text);
  if (!parsed.Command || parsed.Command->Level != TUserInterfaceLevel::Quiet)
    MessageBoxW(nullptr, text.c_str(), L"Startup Error", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
  return kExitFailed;
}

}  // namespace hv
