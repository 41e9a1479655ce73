// An edit box with a text colour of its own and, optionally, the form's colour behind its
// text (how a read-only hint looks like part of the form rather than an input).
#pragma once

#include <optional>

#include "HvControls.h"
#include "HvGdiHandles.h"

namespace hv {

class TColoredEdit : public TEdit {
 public:
  using TEdit::TEdit;

  // Without a colour of its own the edit uses the window-text colour.
  void SetFontColor(std::optional<COLORREF> color);
  std::optional<COLORREF> FontColor() const { return FFontColor; }
  void SetParentColor(bool value);
  bool ParentColor() const { return FParentColor; }

 protected:
  bool ParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  std::optional<COLORREF> FFontColor;
  bool FParentColor = false;
  TUniqueBrush FBackBrush;
  COLORREF FBackColor = CLR_INVALID;
};

}  // namespace hv
