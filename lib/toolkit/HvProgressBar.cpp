#include "HvProgressBar.h"

#include <commctrl.h>

#include <algorithm>

#include "HvControlRecreate.h"

namespace hv {

void TProgressBar::CreateParams(TControlParams& params) {
  params.ClassName = PROGRESS_CLASSW;
  params.Style |= (FSmooth ? PBS_SMOOTH : 0) | (FMarquee ? PBS_MARQUEE : 0);
}

void TProgressBar::InitializeHandle() {
  HWND h = Handle();
  SendMessageW(h, PBM_SETRANGE32, FMin, FMax);
  SendMessageW(h, PBM_SETPOS, FPosition, 0);
  SendMessageW(h, PBM_SETSTEP, FStep, 0);
  SendMessageW(h, PBM_SETBARCOLOR, 0, FBarColor);
  SendMessageW(h, PBM_SETBKCOLOR, 0, FBackgroundColor);
  if (FMarquee) SendMessageW(h, PBM_SETMARQUEE, TRUE, 0);
}

void TProgressBar::SetRange(int min, int max) {
  FMin = min;
  FMax = max;
  if (HandleAllocated()) SendMessageW(Handle(), PBM_SETRANGE32, min, max);
}

int TProgressBar::Position() const {
  return HandleAllocated() ? static_cast<int>(SendMessageW(Handle(), PBM_GETPOS, 0, 0)) : FPosition;
}

void TProgressBar::SetPosition(int position) {
  FPosition = position;
  if (HandleAllocated()) SendMessageW(Handle(), PBM_SETPOS, position, 0);
}

void TProgressBar::SetStep(int step) {
  FStep = step;
  if (HandleAllocated()) SendMessageW(Handle(), PBM_SETSTEP, step, 0);
}

void TProgressBar::StepIt() {
  // The native step wraps round to the minimum past the end; a full bar must stay full.
  SetPosition(std::clamp(FPosition + FStep, FMin, FMax));
}

void TProgressBar::SetSmooth(bool value) {
  if (value == FSmooth) return;
  FSmooth = value;
  RecreateControlWindow(*this);
}

void TProgressBar::SetMarquee(bool value) {
  if (value == FMarquee) return;
  FMarquee = value;
  // The marquee style is only read when the window is created.
  RecreateControlWindow(*this);
}

void TProgressBar::SetBarColor(COLORREF color) {
  FBarColor = color;
  if (HandleAllocated()) SendMessageW(Handle(), PBM_SETBARCOLOR, 0, color);
}

void TProgressBar::SetBackgroundColor(COLORREF color) {
  FBackgroundColor = color;
  if (HandleAllocated()) SendMessageW(Handle(), PBM_SETBKCOLOR, 0, color);
}

}  // namespace hv
