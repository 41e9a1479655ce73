#include "HalvernUninstallerMainFrm.h"
#include "HvApplication.h"
#include "HvCommandDispatch.h"
#include "HvLXCancelableFrm.h"
#include "HvLXDelayLoad.h"
#include "HvLXExitCleanup.h"
#include "HvLXForms.h"
#include "HvLXHostScripts.h"
#include "HvLXHostStartup.h"
#include "HvLXUserInterfaceUnits.h"
#include "HvWindows.h"

namespace {

// The program runs elevated: a DLL planted beside it must never be loaded in place of a
// system one. Set before any other static initialisation can load a library. Windows 7 has
// the restricted search only with its loader update; without it the DLLs the program loads
// itself come from the system folder by their full path (lib/core/HvLXDelayLoad.cpp).
using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
struct HardenDllSearch {
  HardenDllSearch() {
    if (auto restrict = reinterpret_cast<TSetDefaultDllDirectories>(
            reinterpret_cast<void*>(hv::FindDelayedLX(L"kernel32.dll", "SetDefaultDllDirectories"))))
      restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
    hv::RestrictDelayLoadsToSystemFolder();
  }
} gHardenDllSearch __attribute__((init_priority(101)));

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The library's clean-ups (temporary files and the like) run on every way out of here.
  hv::THvExitCleanupScope cleanupAtEnd;
  // Under Wine the host shell must work before anything asks the host.
  hv::InstallHostScriptRunner();
  const hv::TCommandLineParse command = hv::ParseCommandLine(hv::ProcessArguments());
  if (const std::optional<std::wstring> failure = hv::RunHostStartupCheck())
    return hv::ReportStartupFailure(command, *failure);
  if (!command.Command || command.Command->Kind != hv::TCommandKind::Window) return hv::RunCommandLine(command);

  // Library units start in their order and finish in reverse when the window has closed.
  hv::THvUserInterfaceUnits userInterfaceUnits;
  hv::InitializeHvLXForms();
  // Long work on the main thread reports through the shared progress window with Cancel.
  hv::InstallMainThreadFlashExtenderFactory(&hv::THvVisualFlashExtender::CreateFlashExtender);
  hv::RegisterHalvernUninstallerMainForm();
  hv::TApplication& app = hv::Application();
  app.SetMainFormOnTaskBar(true);
  app.SetTitle(L"Halvern Uninstaller");
  try {
    app.CreateForm<hv::THalvernUninstallerMainForm>();
  } catch (...) {
    app.HandleException();
    return 1;
  }
  app.Run();
  return 0;
}
