// Hotkeys of a program's main menu, with the macOS keyboard in mind.
#pragma once

#include "HvMenus.h"

namespace hv {

// Lets an automatic menu choose its hotkeys now; on macOS hosts the main menu also gives up
// the hotkeys that the keyboard adaptation needs for Ctrl shortcuts. Not re-entered; nothing
// without a menu.
void AdjustMainMenu(TMenu* menu);

}  // namespace hv
