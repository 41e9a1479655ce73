// Standard edit actions.
#pragma once

#include "HvActions.h"

namespace hv {

// Paste into the focused control: offered while the clipboard holds text and the control
// is not a read-only edit box.
class THvEditPaste : public TAction {
 public:
  using TAction::TAction;
  bool Update() override;
  bool Execute() override;
};

}  // namespace hv
