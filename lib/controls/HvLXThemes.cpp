#include "HvLXThemes.h"

#include <uxtheme.h>

namespace hv {
namespace {
std::optional<bool> gThemesPin;
}

bool ThemesEnabled() {
  if (gThemesPin) return *gThemesPin;
  return IsAppThemed() && IsThemeActive();
}

// A blank application and class name match no theme part, so the window falls back to
// classic drawing.
void SwitchOffVisualStyles(HWND hwnd) { SetWindowTheme(hwnd, L" ", L" "); }

ScopedThemesPin::ScopedThemesPin(bool themed) : FSaved(gThemesPin) { gThemesPin = themed; }
ScopedThemesPin::~ScopedThemesPin() { gThemesPin = FSaved; }

}  // namespace hv
