// The system rich edit control as a child control of a form, with its zoom kept in step with
// the form's scaling: its font stays at its designed size and the control zooms instead, so
// that rich text with sizes of its own grows with everything else.
#pragma once

#include <string>

#include "HvControls.h"
#include "HvGdiHandles.h"
#include "HvWindows.h"

namespace hv {

// Loads the rich edit library (Msftedit.dll, from the system folder only) once; raises
// EDelayedLoadLibrary when it cannot be loaded.
void LoadRichEditLibrary();

class _THvCustomRichEdit : public TWinControl {
 public:
  explicit _THvCustomRichEdit(TComponent* owner);

  // Zoom in step with scaling (on unless switched off).
  bool Scaled = true;

  // Remembers the factors the layout is scaled by and, with Scaled, zooms by them.
  void ChangeScale(int multiplier, int divisor);
  // EM_SETZOOM (M, D) while the window exists and both are above 0.
  virtual void Zoom(int multiplier, int divisor);

  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  bool PlainText() const { return FPlainText; }
  void SetPlainText(bool value);
  // In characters; 0 is no limit.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int value);

  // The height of the text's characters on the screen, in pixels, at the current zoom.
  int FontPixelHeight() const;
  // The text with each line break as one LF, as the control counts positions.
  std::wstring TextWithLineFeeds() const;

  int SelStart() const;
  int SelLength() const;
  void SetSelection(int start, int length);

 protected:
  void CreateParams(TControlParams& params) override;
  void InitializeHandle() override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // The system colours changed: the control rebuilds its window to take them.
  virtual void SysColorChanged();

 private:
  void ApplyFont();
  void ApplyScale();

  int FScaleM = 0, FScaleD = 0;
  bool FReadOnly = false;
  bool FHideSelection = true;
  bool FWordWrap = true;
  bool FPlainText = false;
  int FMaxLength = 0;
  TUniqueFont FFont;  // the designed font, unscaled
};

}  // namespace hv
