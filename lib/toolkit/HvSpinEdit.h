// A spin edit: a number box with up and down arrows beside it, kept within a range.
#pragma once

#include "HvControls.h"
#include "HvGdiHandles.h"

namespace hv {

class TSpinEdit : public TEdit {
 public:
  using TEdit::TEdit;
  ~TSpinEdit() override;

  int Value() const;
  void SetValue(int value);
  int MinValue() const { return FMin; }
  int MaxValue() const { return FMax; }
  void SetRange(int min, int max);
  // The arrows' window (a sibling on the form), or nullptr.
  HWND UpDownHandle() const { return FUpDown.get(); }

 protected:
  void CreateParams(TControlParams& params) override;
  void InitializeHandle() override;
  void SaveHandleState() override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void DestroyUpDown();

  TUniqueWindow FUpDown;
  int FMin = 0, FMax = 100, FValue = 0;
};

}  // namespace hv
