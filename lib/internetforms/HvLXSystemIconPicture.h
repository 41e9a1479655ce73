// The system's standard icons (warning, information, shield) as pictures for image controls,
// drawn on a background colour so they look the same whether or not the control is
// transparent.
#pragma once

#include "HvPicture.h"
#include "HvWindows.h"

namespace hv {

// Puts the icon `id` (IDI_WARNING ...) drawn at `width` × `height` pixels on `back` into
// `picture`; a system without that icon gets the warning icon.
void LoadSystemIconPicture(TPicture& picture, const wchar_t* id, int width, int height, COLORREF back);

}  // namespace hv
