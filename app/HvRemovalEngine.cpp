#include "HvRemovalEngine.h"

#include <tuple>

#include "HvExceptions.h"
#include "HvFilesInUse.h"
#include "HvLXFiles.h"
#include "HvLXRegistry.h"
#include "HvLXStrings.h"
#include "HvRegistryListing.h"
#include "HvRestartRemoval.h"
#include "HvRunningProcesses.h"

namespace hv {
namespace {

// No confirmation; to the Recycle Bin where the volume has one; the shell's own progress and
// error windows are not suppressed.
constexpr std::uint16_t kEngineDeleteFlags = 0x0050;
// Unattended and quiet: the shell shows no progress (FOF_SILENT) and no error box (FOF_NOERRORUI).
constexpr std::uint16_t kSilentDeleteFlags = kEngineDeleteFlags | 0x0004 | 0x0400;

const std::wstring kHKLM = L"HKEY_LOCAL_MACHINE\\";
const std::wstring kHKCU = L"HKEY_CURRENT_USER\\";

}  // namespace

TRemovalEngine::TRemovalEngine(TRemovalOptions options) : FOptions(options) {}
TRemovalEngine::~TRemovalEngine() = default;

TRemovalEngine::DetectionPass::DetectionPass(TRemovalEngine& engine) : FEngine(engine) { ++FEngine.FPassDepth; }

TRemovalEngine::DetectionPass::~DetectionPass() {
  if (--FEngine.FPassDepth == 0) {
    FEngine.FPassUninstall.reset();
    FEngine.FPassMachineInstaller.reset();
    FEngine.FPassUserInstaller.reset();
  }
}

bool TRemovalEngine::ProcessCorvista(bool RemoveTraces) {
  return ProcessProduct(RemoveTraces, ProductCatalogue()[kCorvista]);
}
bool TRemovalEngine::ProcessSendaro(bool RemoveTraces) {
  return ProcessProduct(RemoveTraces, ProductCatalogue()[kSendaro]);
}

bool TRemovalEngine::ProcessProduct(bool RemoveTraces, const TProductDescription& product) {
  if (RemoveTraces) {
    const std::vector<TRunningProcess> running = ProcessesRunningFrom(InstallationFoldersInBothViews(product.FolderSuffixes));
    if (!running.empty()) {
      std::wstring names;
      for (const TRunningProcess& process : running)
        names += (names.empty() ? L"" : L", ") + Fmt(L"%s (process %u)", process.ImagePath, static_cast<unsigned>(process.Id));
      throw EHvGeneralError(Fmt(L"%s is running: %s. Close it and try again.", product.Name, names));
    }
  }
  // Asked on every call, as before any product is looked for: the system's answer of the moment.
  const std::wstring programFiles = GetProgramFilesFolder();
  TStringVec folders;
  for (const std::wstring& suffix : product.FolderSuffixes) folders.push_back(programFiles + suffix);
  return ProcessProduct(RemoveTraces, folders, product.SetupExes, product.KeyNames, product.ProductCodes);
}

bool TRemovalEngine::ProcessProduct(bool RemoveTraces, const TStringVec& Folders, const TStringVec& SetupExes,
                                    const TStringVec& KeyNames, const TStringVec& ProductCodes) {
  // A detection pass lends its lists, read once; removal always lists afresh.
  const bool shared = !RemoveTraces && FPassDepth > 0;
  bool found = false;

  if (FOptions.DeleteInstallationFolder) found |= ProcessFolders(RemoveTraces, Folders);

  {
    std::unique_ptr<TRegistryListing> own;
    if (shared && !FPassUninstall) FPassUninstall = std::make_unique<TRegistryListing>(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString");
    if (!shared) own = std::make_unique<TRegistryListing>(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString");
    found |= ProcessUninstallEntries(RemoveTraces, shared ? *FPassUninstall : *own, SetupExes, KeyNames);
  }

  found |= ProcessUninstallLinks(RemoveTraces, KeyNames);

  for (auto [root, key, pass] : {std::tuple{HKEY_LOCAL_MACHINE, kMachineInstallerProductsKey, &FPassMachineInstaller},
                                  std::tuple{HKEY_CURRENT_USER, kUserInstallerProductsKey, &FPassUserInstaller}}) {
    std::unique_ptr<TRegistryListing> own;
    if (shared && !*pass) *pass = std::make_unique<TRegistryListing>(root, key, L"ProductName");
    if (!shared) own = std::make_unique<TRegistryListing>(root, key, L"ProductName");
    found |= ProcessInstallerRegistrations(RemoveTraces, shared ? **pass : *own, KeyNames);
  }

  found |= ProcessIdentCache(RemoveTraces, ProductCodes);
  return found;
}

bool TRemovalEngine::ProcessFolders(bool RemoveTraces, const TStringVec& Folders) {
  bool found = false;
  for (const std::wstring& folder : Folders) {
    if (!DirExistsLX(folder, true)) continue;
    found = true;
    const TTrace trace = Found(TTraceKind::InstallationFolder, folder);
    if (RemoveTraces && DeleteFolder(folder)) {
      if (DirExistsLX(folder, true)) throw Exception(L"Could not delete: " + folder);
      Removed(trace);
    }
  }
  return found;
}

bool TRemovalEngine::ProcessUninstallEntries(bool RemoveTraces, const TRegistryListing& entries,
                                             const TStringVec& SetupExes, const TStringVec& KeyNames) {
  bool found = false;
  // Entries named by a GUID, matched by the setup program at the end of their command.
  for (size_t i = 0; i < entries.Count(); ++i) {
    const std::wstring& name = entries.Name(i);
    if (name.empty() || name[0] != L'{') continue;
    const std::wstring command = entries.Value(i);
    for (const std::wstring& exe : SetupExes) {
      if (!EndsWithTextLocale(command, L"\\" + exe)) continue;
      found = true;
      const TTrace trace = Found(TTraceKind::UninstallEntry, kHKLM + entries.KeyPath(i), L"UninstallString = " + command);
      if (RemoveTraces) DeleteKey(HKEY_LOCAL_MACHINE, entries.KeyPath(i), trace);
    }
  }
  // Entries named after the product; the names are those listed before any deletion above.
  for (const std::wstring& keyName : KeyNames) {
    if (!entries.ContainsName(keyName)) continue;
    found = true;
    const std::wstring key = std::wstring(kUninstallKey) + L"\\" + keyName;
    const TTrace trace = Found(TTraceKind::NamedUninstallEntry, kHKLM + key);
    if (RemoveTraces) DeleteKey(HKEY_LOCAL_MACHINE, key, trace);
  }
  return found;
}

bool TRemovalEngine::ProcessUninstallLinks(bool RemoveTraces, const TStringVec& KeyNames) {
  // Every registry name of the product is tested: a setup may have written the link under any
  // of them, and one left behind keeps the product in the system's view.
  bool found = false;
  for (const std::wstring& keyName : KeyNames) {
    for (const std::wstring& key : {L"SOFTWARE\\Halvern\\" + keyName, L"SOFTWARE\\" + keyName}) {
      if (!RegValueExistsLX(HKEY_LOCAL_MACHINE, key, L"UninstallLink")) continue;
      found = true;
      const TTrace trace = Found(TTraceKind::UninstallLink, kHKLM + key, L"UninstallLink");
      if (RemoveTraces) DeleteValue(HKEY_LOCAL_MACHINE, key, L"UninstallLink", trace);
    }
  }
  return found;
}

bool TRemovalEngine::ProcessInstallerRegistrations(bool RemoveTraces, const TRegistryListing& registrations,
                                                   const TStringVec& KeyNames) {
  bool found = false;
  for (size_t i = 0; i < registrations.Count(); ++i) {
    if (KeyNames.empty()) break;
    // Read once per registration: the key names are distinct, so at most one can match, and
    // once the registration is deleted the later names would read nothing anyway.
    const std::wstring productName = registrations.Value(i);
    for (const std::wstring& keyName : KeyNames) {
      if (!SameTextLocale(productName, keyName)) continue;
      found = true;
      // Found, read and deleted in one hive: the name never leads to a key of the other one.
      const std::wstring& hive = registrations.Root() == HKEY_CURRENT_USER ? kHKCU : kHKLM;
      const TTrace trace =
          Found(TTraceKind::InstallerRegistration, hive + registrations.KeyPath(i), L"ProductName = " + productName);
      if (RemoveTraces) DeleteKey(registrations.Root(), registrations.KeyPath(i), trace);
      break;
    }
  }
  return found;
}

bool TRemovalEngine::ProcessIdentCache(bool RemoveTraces, const TStringVec& ProductCodes) {
  bool found = false;
  for (const std::wstring& code : ProductCodes) {
    const std::wstring key = kIdentCacheKey + code;
    if (!RegKeyExistsLX(HKEY_LOCAL_MACHINE, key)) continue;
    found = true;
    const std::wstring folder = RegReadStringDefLX(HKEY_LOCAL_MACHINE, key, L"", L"");
    const TTrace entry = Found(TTraceKind::IdentCacheEntry, kHKLM + key, folder.empty() ? L"" : L"folder = " + folder);
    // Whether its folder may go matters only to a removal or to a listener: for a look at what
    // is there, judging it would cost the protected-folder set, a tenth of a second at start.
    const bool folderMatters = RemoveTraces || FOptions.Observer;
    if (folderMatters && !folder.empty() && DirExistsLX(folder, true)) {
      // The folder comes from a registry value and may name anything: only a folder of a local
      // fixed drive under its own letter, never one whose loss would harm the machine, and
      // never the target of a link.
      std::wstring why = WhyNotLocalFixedFolder(folder);
      if (!why.empty() || IsProtectedFolder(folder, &why)) {
        Skipped(TTraceKind::IdentCacheFolder, folder, why);
      } else if (IsLinkPath(folder)) {
        Skipped(TTraceKind::IdentCacheFolder, folder, L"it is a link; its target is not the product's");
      } else {
        const TTrace trace = Found(TTraceKind::IdentCacheFolder, folder);
        if (RemoveTraces && DeleteFolder(folder) && !DirExistsLX(folder, true)) Removed(trace);
      }
    }
    if (RemoveTraces) DeleteKey(HKEY_LOCAL_MACHINE, key, entry);
  }
  return found;
}

TTrace TRemovalEngine::Found(TTraceKind kind, const std::wstring& location, const std::wstring& detail) {
  TTrace trace{kind, location, detail};
  if (FOptions.Observer) FOptions.Observer->TraceFound(trace);
  return trace;
}

void TRemovalEngine::Removed(const TTrace& trace) {
  if (FOptions.Observer) FOptions.Observer->TraceRemoved(trace);
}

bool TRemovalEngine::DeleteFolder(const std::wstring& folder) {
  const std::uint16_t flags = FOptions.ShellWindows ? kEngineDeleteFlags : kSilentDeleteFlags;
  // Asked before the shell sees the tree: the Recycle Bin does not stop at a held file
  // everywhere, and a tree half in the bin and half in place helps no one.
  std::vector<TEntryInUse> inUse = FindEntriesInUse(folder, false);
  if (inUse.empty()) {
    // Noted before it goes: a folder the restore could not find again in the bin stays named.
    if (FOptions.Backup) FOptions.Backup->RecordRecycled(folder);
    try {
      ShellDeletePath(folder, flags, L"");
    } catch (const EAbort&) {
      throw;  // the user said no in one of the shell's own windows
    } catch (const Exception&) {
      // A program may have taken a file meanwhile, or hold it in a way only the Restart
      // Manager sees (a loaded library): then that is the reason to give.
      inUse = FindEntriesInUse(folder, true);
      if (inUse.empty()) throw;
    }
    if (inUse.empty() && DirExistsLX(folder, true)) inUse = FindEntriesInUse(folder, true);
    if (inUse.empty()) return true;
  }
  if (!FOptions.ScheduleInUseForRestart) throw EHvGeneralError(InUseMessage(inUse));
  const std::vector<std::wstring> scheduled = RemoveNowAndAtRestart(folder, inUse, flags);
  FRestartNeeded = true;
  if (FOptions.Observer)
    for (const std::wstring& path : scheduled) FOptions.Observer->EntryScheduledForRestart(path);
  return false;
}

void TRemovalEngine::DeleteKey(HKEY root, const std::wstring& key, const TTrace& trace) {
  if (FOptions.Backup) FOptions.Backup->BackupKey(root, key);
  RegDeleteKeyLX(root, key);
  Removed(trace);
}

void TRemovalEngine::DeleteValue(HKEY root, const std::wstring& key, const std::wstring& name, const TTrace& trace) {
  if (FOptions.Backup) FOptions.Backup->BackupValue(root, key, name);
  RegDeleteValueLX(root, key, name);
  Removed(trace);
}

void TRemovalEngine::Skipped(TTraceKind kind, const std::wstring& location, const std::wstring& reason) {
  if (FOptions.Observer) FOptions.Observer->TraceSkipped({kind, location, {}}, reason);
}

}  // namespace hv
