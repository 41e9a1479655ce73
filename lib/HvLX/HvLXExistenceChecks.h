// Checks that a file or folder a caller relies on is there, raising a sentence the user can
// read (fmUser) or an internal error (fmInternal) when it is not.
#pragma once

#include <string>

#include "HvLXChecks.h"

namespace hv {

// Raises when DirExistsLX(path, true) is false: with fmUser a plain Exception
// "Directory \"<path>\\\" doesn't exist.", with fmInternal EHvInternalError
// "Internal Error: Directory does not exist: <path>".
void CheckDirectoryExists(const std::wstring& path, TForceMessageType messageType);

}  // namespace hv
