// Puts a folder the removal sent to the Recycle Bin back where it was: the item of the bin
// whose original location is the folder and whose deletion time is the removal's, never over
// something that has taken its place since.
//
// First through the shell's Recycle Bin folder, as Explorer's "Restore" does. Wine's folder
// lists the host trash, but names the deletion time only as text to the minute and does not
// answer the detail queries by property; its "Restore" puts an item back only into a folder
// that exists, and answers success when it did nothing. So the parent folders are made first
// (as Windows itself does), the result is checked on disk, and under Wine an item the shell left
// in the bin is restored through the host trash's own format (files/ and info/*.trashinfo).
#pragma once

#include <cstdint>
#include <string>

#include "HvBackupCheck.h"

namespace hv {

enum class TRecycledOutcome { Restored, NotInBin, Occupied, Failed };

struct TRecycledResult {
  TRecycledOutcome Outcome = TRecycledOutcome::Failed;
  std::wstring Detail;  // for Failed: why; for Restored: through what
};

TRecycledResult RestoreRecycledFolder(const TRecycledRecord& record);

// The two ways on their own, for the tests that show each.
TRecycledResult RestoreThroughShell(const TRecycledRecord& record);
// Under Wine only; NotInBin elsewhere.
TRecycledResult RestoreThroughHostTrash(const TRecycledRecord& record);

}  // namespace hv
