#include "HvRecycleBinRestore.h"

namespace hv {

TRecycledResult RestoreRecycledFolder(const TRecycledRecord&) { return {TRecycledOutcome::NotInBin, {}}; }

}  // namespace hv
