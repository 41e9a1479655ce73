#include "HvLXCheckLst.h"

#include "HvLXStrings.h"
#include "HvScopeExit.h"
#include "HvStrings.h"

namespace hv {

int THvCheckListBoxLX::GetCheckedCount() const {
  int count = 0;
  for (int i = 0; i < Items().Count(); ++i)
    if (Checked(i)) ++count;
  return count;
}

bool THvCheckListBoxLX::AnyChecks() const {
  for (int i = 0; i < Items().Count(); ++i)
    if (Checked(i)) return true;
  return false;
}

bool THvCheckListBoxLX::StringIsChecked(const std::wstring& s) const {
  for (int i = 0; i < Items().Count(); ++i)
    if (Checked(i) && SameTextLocale(Items().Get(i), s)) return true;
  return false;
}

void THvCheckListBoxLX::SetCheckedStrings(const std::vector<std::wstring>& strings) {
  Items().BeginUpdate();
  ScopeExit endUpdate([this] { Items().EndUpdate(); });
  for (int i = 0; i < Items().Count(); ++i) {
    std::wstring text = Items().Get(i);
    bool found = false;
    for (const std::wstring& s : strings)
      if (SameTextLocale(s, text)) {
        found = true;
        break;
      }
    SetChecked(i, found);
  }
}

void THvCheckListBoxLX::ToggleAll() {
  for (int i = 0; i < Items().Count(); ++i) SetChecked(i, !Checked(i));
}

void THvCheckListBoxLX::ToggleSelected() {
  for (int i = 0; i < Items().Count(); ++i)
    if (Selected(i)) SetChecked(i, !Checked(i));
}

}  // namespace hv
