// A progress bar: a position between a minimum and a maximum, or, in the marquee style, a
// running band for work of unknown length.
#pragma once

#include "HvControls.h"
#include "HvWindows.h"

#include <commctrl.h>  // CLR_DEFAULT

namespace hv {

class TProgressBar : public TWinControl {
 public:
  using TWinControl::TWinControl;

  int Min() const { return FMin; }
  int Max() const { return FMax; }
  void SetRange(int min, int max);
  int Position() const;
  void SetPosition(int position);
  int Step() const { return FStep; }
  void SetStep(int step);
  // Advances the position by the step, stopping at the maximum rather than wrapping round.
  void StepIt();

  // A continuous bar rather than blocks (recreates the native window).
  bool Smooth() const { return FSmooth; }
  void SetSmooth(bool value);

  bool Marquee() const { return FMarquee; }
  // Switches between the marquee band and a position bar (recreates the native window).
  void SetMarquee(bool value);

  // CLR_DEFAULT leaves the colour to the system.
  COLORREF BarColor() const { return FBarColor; }
  void SetBarColor(COLORREF color);
  COLORREF BackgroundColor() const { return FBackgroundColor; }
  void SetBackgroundColor(COLORREF color);

 protected:
  void CreateParams(TControlParams& params) override;
  void InitializeHandle() override;

 private:
  int FMin = 0, FMax = 100, FPosition = 0, FStep = 10;
  bool FMarquee = false, FSmooth = true;
  COLORREF FBarColor = CLR_DEFAULT;
  COLORREF FBackgroundColor = CLR_DEFAULT;
};

}  // namespace hv
