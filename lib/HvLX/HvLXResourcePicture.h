// Pictures stored in the program's resources in a compressed format (JPEG, PNG, ...),
// decoded by the platform's imaging component so the program carries no decoder of its own.
#pragma once

#include "HvPicture.h"
#include "HvWindows.h"

namespace hv {

// Decodes the RCDATA resource `name` of `module` into `picture`. Answers false, leaving the
// picture as it was, when the resource is missing or cannot be decoded.
bool LoadPictureFromResource(TPicture& picture, HMODULE module, const wchar_t* name);

}  // namespace hv
