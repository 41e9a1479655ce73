#include "HvLXComCtrls.h"

#include "HvLXHost.h"
#include "HvLXThemes.h"

namespace hv {
namespace {
// Old Wine draws a themed progress bar wrongly; such bars are drawn classically instead.
bool ClassicProgressBarNeeded() { return ThemesEnabled() && UseWineTricks(L"4.12"); }
}  // namespace

THvProgressBar::THvProgressBar(TComponent* owner) : TProgressBar(owner) {
  if (!ThemesEnabled() || UseWineTricks(L"4.12")) {
    SetBackgroundColor(RGB(255, 255, 255));
    SetBarColor(RGB(0, 128, 0));
  }
}

void THvProgressBar::InitializeHandle() {
  TProgressBar::InitializeHandle();
  if (ClassicProgressBarNeeded()) {
    SwitchOffVisualStyles(Handle());
    InvalidateRect(Handle(), nullptr, TRUE);
  }
}

}  // namespace hv
