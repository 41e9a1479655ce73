// The process-wide state behind the temporary files, shared by the unit that hands names out
// and the one that cleans up at the end. Each part is read and written only under its lock.
#pragma once

#include <string>

#include "HvLXList.h"
#include "HvLXLocks.h"

namespace hv {

struct TTempFilesState {
  TTempFilesState() { files.SetSorted(true); }

  THvMonitor folderLock;
  std::wstring processTempBase;    // the per-program part of the process temporary folder
  std::wstring processTempSuffix;  // 8 hex digits once a unique-name search has failed

  THvMonitor filesLock;
  THvList<std::wstring> files;

  THvMonitor foldersLock;
  THvList<std::wstring> folders;
};

TTempFilesState& TempFilesState();

}  // namespace hv
