// "/restore": puts back what one removal took away, from its backup (the last removal's, or
// the file named): its registry traces and the folders it sent to the Recycle Bin.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "HvCommandLine.h"

namespace hv {

// The backup of the last removal in `folder`, by the date in its name; empty when none.
std::wstring LastBackupIn(const std::wstring& folder);

struct TRestorePlan {
  std::wstring BackupPath;
  std::vector<std::wstring> Items;  // each key and folder that would come back
  std::wstring Nothing;             // why nothing would, when so
};
// What a restore of the backup (empty: the last removal's) would put back; writes nothing.
// Raises when the backup is refused.
TRestorePlan PlanRestore(const std::wstring& backupPath);
// Puts back what the backup's removal took away, each outcome a line to `say`; answers the exit
// code (0, 1603 or 1605).
int RestoreRemoval(const std::wstring& backupPath, const std::function<void(const std::wstring&)>& say);

// Runs the command; returns the exit code: 0 all came back, 1603 something could not, 1605
// nothing to restore, 1622 the log could not be opened.
int RunRestoreCommand(const TCommandLine& command, const std::wstring& commandLine);

}  // namespace hv
