#pragma once

namespace hv {

// The user's font size boost for this program in percent (100..200): the integer value
// "FontBoostPercent" under HKEY_CURRENT_USER "Software\Halvern\<program base name>".
int GetFontBoostPercent();

}  // namespace hv
