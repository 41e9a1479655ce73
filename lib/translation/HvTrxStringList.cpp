#include "HvTrxStringList.h"

namespace hv {

THvTrxStringList::THvTrxStringList() {
  SetDuplicates(TDuplicates::dupIgnore);
  SetSorted(true);
}

void THvTrxStringList::ReplaceContent(const TStrings& strings) {
  TUpdateScope update(*this);
  Clear();
  AddStrings(strings);
}

void THvTrxStringList::ReplaceContent(std::span<const std::wstring> strings) {
  TUpdateScope update(*this);
  Clear();
  AddStrings(strings);
}

std::optional<std::vector<std::wstring>> THvTrxStringList::WriteStrings(const THvTrxStringList* ancestor) const {
  bool differs = ancestor && !EqualsStringsAndObjects(*this, *ancestor);
  if (Count() == 0 && !differs) return std::nullopt;
  return ToArray(*this);
}

}  // namespace hv
