// A radio button: one choice of a group; checking it clears the others of its form. Its
// checked state and click notification are those of a check box, only the style differs.
#pragma once

#include "HvControls.h"

namespace hv {

class TRadioButton : public TCheckBox {
 public:
  using TCheckBox::TCheckBox;

 protected:
  void CreateParams(TControlParams& params) override;
};

}  // namespace hv
