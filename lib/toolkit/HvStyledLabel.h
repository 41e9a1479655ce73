// A label with its own look: words wrapped within its bounds, bold or a larger size of the
// form's font, and a text colour of its own, painted on the form's colour.
#pragma once

#include <optional>

#include "HvControls.h"
#include "HvGdiHandles.h"

namespace hv {

class TStyledLabel : public TLabel {
 public:
  using TLabel::TLabel;

  bool WordWrap() const { return FWordWrap; }
  // Keeps the designed width and breaks the text into lines within it.
  void SetWordWrap(bool value);
  bool Bold() const { return FBold; }
  void SetBold(bool value);
  // In points at 96 dots per inch; 0 keeps the form's size.
  int PointSize() const { return FPointSize; }
  void SetPointSize(int points);
  // Without a colour of its own the label uses the window-text colour.
  std::optional<COLORREF> FontColor() const { return FFontColor; }
  void SetFontColor(std::optional<COLORREF> color);

 protected:
  void InitializeHandle() override;
  bool ParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void ApplyFont();

  bool FWordWrap = false;
  bool FBold = false;
  int FPointSize = 0;
  std::optional<COLORREF> FFontColor;
  TUniqueFont FOwnFont;
  TUniqueBrush FBackBrush;
};

}  // namespace hv
