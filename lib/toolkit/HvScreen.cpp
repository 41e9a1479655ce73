#include "HvScreen.h"

#include "HvGdiHandles.h"
#include "HvWindows.h"

namespace hv {

int TScreen::SystemPixelsPerInch() {
  TScreenDC dc;
  int ppi = dc.get() ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
  return ppi > 0 ? ppi : 96;
}

int TScreen::PixelsPerInch() const {
  if (FPixelsPerInch <= 0) FPixelsPerInch = SystemPixelsPerInch();
  return FPixelsPerInch;
}

TScreen& Screen() {
  static TScreen screen;
  return screen;
}

int ScaleForDpi(int value) { return MulDiv(value, Screen().PixelsPerInch(), 96); }

}  // namespace hv
