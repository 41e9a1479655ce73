#include "HvLXFontBoost.h"

#include <algorithm>

#include "HvLXRegistry.h"
#include "HvLXSpecialFolders.h"

namespace hv {

int GetFontBoostPercent() {
  int percent = 100;
  try {
    percent = RegReadIntegerDefLX(HKEY_CURRENT_USER, L"Software\\Halvern\\" + GetExeBaseName(), L"FontBoostPercent", 100);
  } catch (const ERegistryException&) {
    // A value stored as text must not stop the program from starting: no boost then.
  }
  return std::clamp(percent, 100, 200);
}

}  // namespace hv
