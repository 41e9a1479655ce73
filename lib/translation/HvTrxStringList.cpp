#include "HvTrxStringList.h"

#include "HvExceptions.h"
#include "HvWindows.h"

namespace hv {
namespace {
int CompareText(const std::wstring& a, const std::wstring& b) {
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                        static_cast<int>(b.size())) - CSTR_EQUAL;
}
}  // namespace

int THvTrxStringList::Find(const std::wstring& s, bool& found) const {
  int lo = 0, hi = Count() - 1;
  found = false;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = CompareText(FItems[mid], s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) found = true;
    }
  }
  return lo;
}

int THvTrxStringList::Add(const std::wstring& s) {
  bool found;
  int index = Find(s, found);
  if (!found) FItems.insert(FItems.begin() + index, s);
  return index;
}

int THvTrxStringList::IndexOf(const std::wstring& s) const {
  bool found;
  int index = Find(s, found);
  return found ? index : -1;
}

void THvTrxStringList::Delete(int index) {
  if (index < 0 || index >= Count()) throw EListError(Fmt(L"List index out of bounds (%d)", index));
  FItems.erase(FItems.begin() + index);
}

void THvTrxStringList::Assign(const std::vector<std::wstring>& source) {
  BeginUpdate();
  Clear();
  for (const std::wstring& s : source) Add(s);
  EndUpdate();
}

std::optional<std::vector<std::wstring>> THvTrxStringList::WriteStrings(const THvTrxStringList* ancestor) const {
  bool differs = ancestor && ancestor->FItems.size() != FItems.size();
  for (size_t i = 0; ancestor && !differs && i < FItems.size(); ++i)
    differs = CompareText(ancestor->FItems[i], FItems[i]) != 0;
  if (FItems.empty() && !differs) return std::nullopt;
  return FItems;
}

void THvTrxStringList::ReadStrings(const std::vector<std::wstring>& values) { Assign(values); }

}  // namespace hv
