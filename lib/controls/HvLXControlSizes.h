// Sizes of captions and button-like controls, in screen pixels, for deciding whether a
// caption fits on one line.
#pragma once

#include <string>

#include "HvControls.h"
#include "HvScreen.h"  // ScaleForDpi
#include "HvWindows.h"

namespace hv {

// Width of `text` drawn in `font` (on an off-screen bitmap, so no window is needed).
int TextWidthForFont(HFONT font, const std::wstring& text);
// The font a control draws its caption in: its window's, else its form's.
HFONT ControlFont(const TWinControl& control);
// The room a radio button or check box needs to show its caption on one line.
int RadioButtonWidth(const TWinControl& button);
int CheckBoxWidth(const TWinControl& box);

}  // namespace hv
