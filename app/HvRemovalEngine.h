// Finds, and on request deletes, every trace of a product: installation folders, Add/Remove
// Programs entries, UninstallLink values, Windows Installer registrations and the setup
// tool's identification-cache entries. Detection only reads; removal deletes each trace at
// the moment it is found, and the first failure ends the call (no rollback).
#pragma once

#include <memory>
#include <string>

#include "HvProductCatalogue.h"
#include "HvRegistryBackup.h"
#include "HvTraceObserver.h"

namespace hv {

struct TRemovalOptions {
  // The window's "Delete Installation Folder" box: whether folders count as traces at all.
  bool DeleteInstallationFolder = true;
  ITraceObserver* Observer = nullptr;
  // Takes every registry key and value before it is deleted; one it cannot take stays.
  TRegistryBackup* Backup = nullptr;
  // Whether the shell may show its own progress and error windows while deleting folders.
  bool ShellWindows = true;
  // What to do with a folder of which a program has entries in use: false, stop with an error
  // that names the program (before anything of the folder goes); true, delete the rest now and
  // leave the entries in use, with their folders, for deletion at the next restart.
  bool ScheduleInUseForRestart = false;
};

class TRegistryListing;

class TRemovalEngine {
 public:
  explicit TRemovalEngine(TRemovalOptions options = {});
  ~TRemovalEngine();

  TRemovalOptions& Options() { return FOptions; }
  // Whether some entry was left for deletion at the next restart (ScheduleInUseForRestart).
  bool RestartNeeded() const { return FRestartNeeded; }

  // True when at least one trace was found (and, with RemoveTraces, deleted).
  bool ProcessProduct(bool RemoveTraces, const TStringVec& Folders, const TStringVec& SetupExes,
                      const TStringVec& KeyNames, const TStringVec& ProductCodes);
  // Removal first makes sure that no program runs from the product's installation folders (in
  // either view of Program Files): otherwise it raises, naming them, before touching anything.
  bool ProcessProduct(bool RemoveTraces, const TProductDescription& product);
  // One catalogue entry each, for callers that name the product.
  bool ProcessCorvista(bool RemoveTraces);
  bool ProcessSendaro(bool RemoveTraces);

  // While a pass is open, detection reads the Add/Remove Programs and Installer lists, and
  // each of their values, once for all products instead of once per product and name.
  // Removal never uses it: after a deletion it must see the registry as it now is.
  class DetectionPass {
   public:
    explicit DetectionPass(TRemovalEngine& engine);
    ~DetectionPass();
    DetectionPass(const DetectionPass&) = delete;
    DetectionPass& operator=(const DetectionPass&) = delete;

   private:
    TRemovalEngine& FEngine;
  };

 private:
  bool ProcessFolders(bool RemoveTraces, const TStringVec& Folders);
  bool ProcessUninstallEntries(bool RemoveTraces, const TRegistryListing& entries,
                               const TStringVec& SetupExes, const TStringVec& KeyNames);
  bool ProcessUninstallLinks(bool RemoveTraces, const TStringVec& KeyNames);
  bool ProcessInstallerRegistrations(bool RemoveTraces, const TRegistryListing& registrations,
                                     const TStringVec& KeyNames);
  bool ProcessIdentCache(bool RemoveTraces, const TStringVec& ProductCodes);
  TTrace Found(TTraceKind kind, const std::wstring& location, const std::wstring& detail = {});
  void Removed(const TTrace& trace);
  // False when entries in use were left for the next restart; raises when they stop it.
  bool DeleteFolder(const std::wstring& folder);
  // Backed up first when there is a backup; the trace is reported removed once it is gone.
  void DeleteKey(HKEY root, const std::wstring& key, const TTrace& trace);
  void DeleteValue(HKEY root, const std::wstring& key, const std::wstring& name, const TTrace& trace);
  void Skipped(TTraceKind kind, const std::wstring& location, const std::wstring& reason);

  TRemovalOptions FOptions;
  std::unique_ptr<TRegistryListing> FPassUninstall, FPassMachineInstaller, FPassUserInstaller;
  int FPassDepth = 0;
  bool FRestartNeeded = false;
};

}  // namespace hv
