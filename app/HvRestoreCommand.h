// "/restore": puts back what one removal took away, from its backup (the last removal's, or
// the file named): its registry traces and the folders it sent to the Recycle Bin.
#pragma once

#include <string>

#include "HvCommandLine.h"

namespace hv {

// The backup of the last removal in `folder`, by the date in its name; empty when none.
std::wstring LastBackupIn(const std::wstring& folder);

// Runs the command; returns the exit code: 0 all came back, 1603 something could not, 1605
// nothing to restore, 1622 the log could not be opened.
int RunRestoreCommand(const TCommandLine& command, const std::wstring& commandLine);

}  // namespace hv
