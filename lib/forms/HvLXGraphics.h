// The library's own colours, by name in form descriptions.
#pragma once

#include "HvColors.h"

namespace hv {

// The pale yellow behind the library's custom-drawn windows.
inline constexpr TColor clHvCustomWindowColor = 0xF3FFFF;

// Registers the library's colour identifiers; Finalize removes them.
void InitializeHvLXGraphics();
void FinalizeHvLXGraphics();

}  // namespace hv
