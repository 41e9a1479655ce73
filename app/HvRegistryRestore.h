// Puts a removed trace back into the registry where the backup says it lived (the path names
// the view: a 32-bit key comes with its WOW6432Node part). A trace is written whole or not at
// all, and never over keys or values that have come back since with other contents.
#pragma once

#include "HvBackupCheck.h"

namespace hv {

enum class TEntryRestore { Restored, AlreadyThere };

// Raises EHvGeneralError or EOSError naming the trace when it cannot come back; nothing of it
// is then left written.
TEntryRestore RestoreRegistryEntry(const TRestoreEntry& entry);

}  // namespace hv
