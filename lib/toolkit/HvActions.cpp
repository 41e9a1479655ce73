#include "HvActions.h"

namespace hv {

bool TAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(*this);
  return true;
}

bool TAction::Execute() {
  if (!Enabled) return false;
  if (!OnExecute) return false;
  OnExecute(*this);
  return true;
}

void TActionList::UpdateActions() {
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* action = dynamic_cast<TAction*>(Components(i))) action->Update();
}

}  // namespace hv
