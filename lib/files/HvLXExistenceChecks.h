// Checks that a file or folder exists, raising either an internal error (the program itself
// should have made sure) or a plain sentence the user must read.
#pragma once

#include <string>

#include "HvLXChecks.h"

namespace hv {

// Missing file: EExtraInfoException with the existence account as extra information.
void CheckFileExists(const std::wstring& path, TForceMessageType messageType);
// Missing folder: EHvInternalError (fmInternal) or a plain Exception (fmUser).
void CheckDirectoryExists(const std::wstring& path, TForceMessageType messageType);

}  // namespace hv
