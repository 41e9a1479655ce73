#include "HvRadioButton.h"

namespace hv {

void TRadioButton::CreateParams(TControlParams& params) {
  TCheckBox::CreateParams(params);
  params.Style = (params.Style & ~BS_TYPEMASK) | BS_AUTORADIOBUTTON;
}

}  // namespace hv
