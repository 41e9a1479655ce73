#include "HvUninstallCommand.h"

#include <memory>
#include <optional>

#include "HvApplication.h"
#include "HvLXCancelableFrm.h"
#include "HvLXFlash.h"
#include "HvLXForms.h"
#include "HvLXShowException.h"
#include "HvLXUserInterfaceUnits.h"
#include "HvRegistryBackup.h"
#include "HvRemovalEngine.h"
#include "HvRemovalLog.h"
#include "HvTempFolderCleaning.h"

namespace hv {
namespace {

// The windows the level allows: the progress window (with its Cancel) unless quiet, and the
// application title that captions the error boxes when they are shown.
class TUserInterface {
 public:
  explicit TUserInterface(TUserInterfaceLevel level) : FLevel(level) {
    if (level == TUserInterfaceLevel::Quiet) return;
    FUnits.emplace();
    InitializeHvLXForms();
    InstallMainThreadFlashExtenderFactory(&THvVisualFlashExtender::CreateFlashExtender);
    Application().SetTitle(L"Halvern Uninstaller");
  }
  ~TUserInterface() {
    if (FUnits) InstallMainThreadFlashExtenderFactory(nullptr);
  }
  TUserInterface(const TUserInterface&) = delete;
  TUserInterface& operator=(const TUserInterface&) = delete;

  bool ShowsErrors() const { return FLevel == TUserInterfaceLevel::Full; }
  bool ShellWindows() const { return FLevel == TUserInterfaceLevel::Full; }

 private:
  TUserInterfaceLevel FLevel;
  std::optional<THvUserInterfaceUnits> FUnits;
};

class TUninstallRun {
 public:
  TUninstallRun(const TCommandLine& command, TRemovalLog& log) : FCommand(command), FLog(log), FUserInterface(command.Level) {}

  int Run() {
    if (!FCommand.NoTemp && !CleanTempFolder()) return Finish();
    for (std::size_t index : FCommand.Products)
      if (!RemoveProduct(ProductCatalogue()[index])) break;
    return Finish();
  }

 private:
  // False when the user cancelled: the run stops.
  bool CleanTempFolder() {
    FLog.Line(L"Cleaning out the temporary folder.");
    try {
      CleanOutTempFolder();
      FLog.Line(L"Cleaned out temporary folder.");
      FOutcome.TempCleaned = true;
    } catch (const EAbort&) {
      return Cancelled(L"An error occured while cleaning out the temporary folder.");
    } catch (const Exception& e) {
      Failed(L"An error occured while cleaning out the temporary folder.", e);
    }
    return true;
  }

  bool RemoveProduct(const TProductDescription& product) {
    try {
      // The progress window stays up meanwhile; Cancel is honoured before a product is touched.
      IFlash flash = CreateFlash(Fmt(L"Uninstalling %s...", product.Name), 0, true);
      flash->CheckCancel();
      FLog.Line(Fmt(L"Uninstalling %s.", product.Name));
      TRemovalEngine engine(
          {!FCommand.KeepFolders, &FLog, &FBackup, FUserInterface.ShellWindows(), !FCommand.NoRestartRemoval});
      const bool found = engine.ProcessProduct(true, product);
      if (engine.RestartNeeded()) {
        FOutcome.RestartNeeded = true;
        FLog.Line(Fmt(L"%s was uninstalled; what was in use goes when the computer restarts.", product.Name));
      } else if (found) {
        FOutcome.TraceFound = true;
        FLog.Line(Fmt(L"%s was successfully uninstalled.", product.Name));
      } else {
        FLog.Line(Fmt(L"%s is not detected.", product.Name));
      }
    } catch (const EAbort&) {
      return Cancelled(Fmt(L"%s was not uninstalled.", product.Name));
    } catch (const Exception& e) {
      Failed(Fmt(L"An error occured while uninstalling %s.", product.Name), e);
    }
    return true;
  }

  bool Cancelled(const std::wstring& line) {
    FLog.Line(line);
    FLog.Line(L"Cancelled by the user.");
    FOutcome.Cancelled = true;
    return false;
  }

  void Failed(const std::wstring& line, const Exception& e) {
    FLog.Line(line);
    FLog.Error(e);
    FOutcome.Failed = true;
    if (FUserInterface.ShowsErrors()) ShowExceptionLX(&e);
  }

  int Finish() {
    FLog.Line(FBackup.Path().empty() ? std::wstring(L"Registry backup: nothing was deleted from the registry.")
                                     : L"Registry backup: " + FBackup.Path());
    const int code = UninstallExitCode(FOutcome);
    FLog.Line(Fmt(L"Exit code: %d", code));
    return code;
  }

  const TCommandLine& FCommand;
  TRemovalLog& FLog;
  TUserInterface FUserInterface;
  TRegistryBackup FBackup;
  TUninstallOutcome FOutcome;
};

}  // namespace

int UninstallExitCode(const TUninstallOutcome& outcome) {
  if (outcome.Cancelled) return kExitCancelled;
  if (outcome.Failed) return kExitFailed;
  if (outcome.RestartNeeded) return kExitRestartRequired;
  if (outcome.TraceFound || outcome.TempCleaned) return kExitSuccess;
  return kExitNothingToRemove;
}

int RunUninstallCommand(const TCommandLine& command, const std::wstring& commandLine) {
  const std::unique_ptr<TRemovalLog> log = OpenCommandLog(command.LogPath, commandLine);
  if (!log) return kExitLogFailed;
  return TUninstallRun(command, *log).Run();
}

}  // namespace hv
