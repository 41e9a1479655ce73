// Puts a folder the removal sent to the Recycle Bin back where it was: the item of the bin
// whose original location is the folder and whose deletion time is the removal's, never over
// something that has taken its place since.
#pragma once

#include <string>

#include "HvBackupCheck.h"

namespace hv {

enum class TRecycledOutcome { Restored, NotInBin, Occupied, Failed };

struct TRecycledResult {
  TRecycledOutcome Outcome = TRecycledOutcome::Failed;
  std::wstring Detail;  // for Failed: why
};

TRecycledResult RestoreRecycledFolder(const TRecycledRecord& record);

}  // namespace hv
