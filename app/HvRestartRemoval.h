// Removing a folder tree of which some entries are in use: everything else goes now, and what
// is in use, with the folders that hold it, is left for the system to delete when the computer
// next restarts, as installers do with files they cannot replace.
//
// The system deletes a scheduled path by its name at start-up, running as itself: a path that
// someone else could by then have turned into a link would delete what the link leads to. So
// nothing is scheduled below a folder that anyone but administrators and the system can change,
// nor through a link.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "HvFilesInUse.h"

namespace hv {

// Deletes every entry of the tree at `root` that neither is in `inUse` nor holds one of them,
// through the shell with `shellFlags` (links removed as links), then schedules for deletion at
// the next restart the entries in use, deepest first, and after them the folders that hold
// them, deepest first, `root` last. Answers the scheduled paths in the order scheduled.
// Raises EHvGeneralError, before anything is deleted, when the tree may not be scheduled (a
// link on the way, a folder others can change); the errors of the shell's deletion and of the
// scheduling pass through.
std::vector<std::wstring> RemoveNowAndAtRestart(const std::wstring& root, const std::vector<TEntryInUse>& inUse,
                                                std::uint16_t shellFlags);

}  // namespace hv
