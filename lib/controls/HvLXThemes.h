// Whether controls are drawn with visual styles, and turning them off for one window: the
// Wine workarounds of the adapted controls depend on the first and use the second.
#pragma once

#include <optional>

#include "HvWindows.h"

namespace hv {

// The application draws with visual styles (themes on and allowed for this program).
bool ThemesEnabled();

// Draws `hwnd` classically from now on, whatever the theme.
void SwitchOffVisualStyles(HWND hwnd);

// Test seam: a theme cannot be switched on for one test, so the answer can be pinned.
class ScopedThemesPin {
 public:
  explicit ScopedThemesPin(bool themed);
  ~ScopedThemesPin();
  ScopedThemesPin(const ScopedThemesPin&) = delete;
  ScopedThemesPin& operator=(const ScopedThemesPin&) = delete;

 private:
  std::optional<bool> FSaved;
};

}  // namespace hv
