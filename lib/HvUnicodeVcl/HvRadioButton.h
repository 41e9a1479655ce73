// A radio button: one choice of a group; checking it clears the others of its form.
#pragma once

#include "HvControls.h"

namespace hv {

class TRadioButton : public TWinControl {
 public:
  using TWinControl::TWinControl;
  bool Checked() const;
  void SetChecked(bool value);

 protected:
  void CreateParams(TControlParams& params) override;
  void InitializeHandle() override;
  void SaveHandleState() override;
  bool ParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  bool FChecked = false;
};

}  // namespace hv
