// THvLabel: a line of text painted in its own font and colours (the progress window's texts).
#pragma once

#include <optional>

#include "HvControls.h"
#include "HvForms.h"
#include "HvGdiHandles.h"

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

}  // namespace hv
