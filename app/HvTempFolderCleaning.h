// Emptying the temporary folder before an uninstall: every file and sub-folder that lies
// directly in it goes to the Recycle Bin where possible, behind a cancellable progress
// display.
#pragma once

#include <string>

namespace hv {

// Cleans out `folder`. Every entry is attempted, files first, then folders, one progress
// step each; an entry that cannot be removed stays without a message, and links are never
// followed. Raises EHvGeneralError (deleting nothing) when `folder` is a protected folder,
// the search's errors when it cannot be listed, and EAbort when the user cancels; what was
// removed before then is in the Recycle Bin.
void CleanOutTempFolder(const std::wstring& folder);
// Cleans out the library's temporary folder (GetHalvernTempFolder).
void CleanOutTempFolder();

}  // namespace hv
