#include "HvLXComCtrls.h"

#include "HvLXHost.h"
#include "HvLXStdCtrls.h"  // WM_DEFERRED_INVALIDATE
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

void THvPageControl::KeyDown(WORD& key) {
  if (UseWineTricks(L"unknown")) {
    int active = ActivePageIndex();
    if (key == VK_LEFT && active > 0) {
      SelectNextPage(false);
      key = 0;
    } else if (key == VK_RIGHT && active >= 0 && active < PageCount() - 1) {
      SelectNextPage(true);
      key = 0;
    }
  }
  TPageControl::KeyDown(key);
}

void THvSpinEdit::InitializeHandle() {
  TSpinEdit::InitializeHandle();
  if (ThemesEnabled() && UseWineTricks(L"unknown")) {
    SwitchOffVisualStyles(Handle());
    if (UpDownHandle()) SwitchOffVisualStyles(UpDownHandle());
    PostMessageW(Handle(), WM_DEFERRED_INVALIDATE(), 0, 0);
  }
}

LRESULT THvSpinEdit::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DEFERRED_INVALIDATE()) {
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    return 0;
  }
  return TSpinEdit::WndProc(msg, wParam, lParam);
}

}  // namespace hv
