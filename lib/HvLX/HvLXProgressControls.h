// The controls of the progress window: a text line painted in its own font and colours, a
// picture box, and a progress bar that remembers the last pixel it was moved to. They were
// written beside the adapted controls (THvImage, THvProgressBar) and keep their own names
// until the window moves onto those.
#pragma once

#include <optional>

#include "HvControls.h"
#include "HvForms.h"
#include "HvGdiHandles.h"
#include "HvPicture.h"

namespace hv {

// One line of text, cut with an ellipsis when it does not fit, never reading '&' as an
// accelerator.
class THvLabel : public TWinControl {
 public:
  using TWinControl::TWinControl;

  // Without an own font the label uses the form's.
  void SetFont(const TFontSpec& font, bool bold);
  void SetFontColor(COLORREF color);
  COLORREF FontColor() const { return FFontColor; }
  // Without a background colour the label shows the form's colour. A label laid over a
  // plain strip takes the strip's colour, which is how it looks transparent.
  void SetBackColor(COLORREF color);

 protected:
  void CreateParams(TControlParams& params) override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();

  std::optional<TFontSpec> FFontSpec;
  bool FBold = false;
  TUniqueFont FOwnFont;
  HFONT FFormFont = nullptr;
  COLORREF FFontColor = GetSysColor(COLOR_WINDOWTEXT);
  std::optional<COLORREF> FBackColor;
};

// Shows a picture, stretched to the control or (proportional) fitted into it and centred.
class TCancelableFormImage : public TWinControl {
 public:
  using TWinControl::TWinControl;

  TPicture& Picture() { return FPicture; }
  void SetProportional(bool value) { FProportional = value; }

 protected:
  void CreateParams(TControlParams& params) override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();

  TPicture FPicture;
  bool FProportional = false;
};

class TCancelableFormBar : public TWinControl {
 public:
  using TWinControl::TWinControl;

  void SetSmooth(bool value) { FSmooth = value; }
  int Max() const { return FMax; }
  void SetMax(int value);
  int Position() const;
  void SetPosition(int value);
  void SetStep(int value);
  // Advances the position by the step.
  void StepIt();
  bool Marquee() const { return FMarquee; }
  // The indeterminate style: a block runs through the bar while nothing is known.
  void SetMarquee(bool value);
  // The last pixel position the bar was moved to; the bar itself never reads it.
  int Tag = 0;

 protected:
  void CreateParams(TControlParams& params) override;
  void InitializeHandle() override;

 private:
  bool FSmooth = false;
  bool FMarquee = false;
  int FMax = 100;
  int FPosition = 0;
  int FStep = 10;
};

}  // namespace hv
