// What a check list box tells assistive technology: the system's standard object for the list,
// with each item a check button whose state is checked, mixed or unavailable and whose
// default action toggles it as a click on its box would. Without it a screen reader sees only
// the item texts of an owner-drawn list, never the ticks.
#pragma once

#include "HvWindows.h"

namespace hv {

class TCheckListBox;

// The answer to WM_GETOBJECT for the list's client area (0 when the object cannot be made;
// the system then uses its standard one).
LRESULT AnswerCheckListObject(TCheckListBox& list, WPARAM wParam);

// Tells assistive technology that item `index` of the list changed its state.
void NotifyCheckListItemChanged(TCheckListBox& list, int index);

}  // namespace hv
