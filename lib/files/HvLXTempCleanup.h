// Removing temporary files and folders when the program ends: those this process registered,
// and (under Wine) old leftovers of earlier processes. Each deletes only inside the library's
// own temporary folders, never enters or follows a link, never removes a protected folder,
// and never raises.
#pragma once

namespace hv {

// Deletes the registered files that can be deleted (a file still held open stays listed).
// Under Wine, when the library's temporary folder is the program's own, also deletes every
// file below it last written a day or more ago.
void CleanupTempFiles();
// Removes the registered folder trees. Under Wine, when the library's temporary folder is the
// program's own, also removes the empty folders below it.
void CleanupTempFolders();
// In the folder that holds the process temporary folders of this program: deletes what was
// last written more than 7 days ago and removes folders left empty, the holder included.
void CleanupProcessTempFolders();

// Whether this code runs in the program file itself rather than in a separately loaded
// module; the sweeps of the shared temporary folder belong to the program alone.
bool LibraryIsInProgramModule();

}  // namespace hv
