// THvCheckListBoxLX: a check list box with operations on its items by checked state.
// Every operation walks the items from the first to the last. A greyed item counts as not
// checked. The string-list arguments may be any list with the string-list operations used
// (Clear/AddObject/BeginUpdate/EndUpdate to fill, IndexOf/IndexOfObject to search); the
// list decides how its own search compares texts.
#pragma once

#include <string>
#include <vector>

#include "HvCheckLst.h"

namespace hv {

class THvCheckListBoxLX : public TCheckListBox {
 public:
  using TCheckListBox::TCheckListBox;

  int GetCheckedCount() const;
  bool AnyChecks() const;
  // A checked item with the text `s` (case ignored); unchecked items with it do not count.
  bool StringIsChecked(const std::wstring& s) const;

  template <class List>
  void GetCheckedStrings(List& sList) const {
    FillWith(sList, true);
  }
  template <class List>
  void GetUnCheckedStrings(List& sList) const {
    FillWith(sList, false);
  }
  // Checks exactly the items that `sList` holds (by text or by object).
  template <class List>
  void SetCheckedStrings(const List& sList, bool ByObject) {
    SetByList(sList, ByObject, true);
  }
  void SetCheckedStrings(const std::vector<std::wstring>& strings);
  // Unchecks exactly the items that `sList` holds; all others become checked.
  template <class List>
  void SetUnCheckedStrings(const List& sList, bool ByObject) {
    SetByList(sList, ByObject, false);
  }

  using TCheckListBox::CheckAll;
  void CheckAll() { TCheckListBox::CheckAll(TCheckBoxState::cbChecked, true, true); }
  void UncheckAll() { TCheckListBox::CheckAll(TCheckBoxState::cbUnchecked, true, true); }
  // Inverts every item's checked flag; a greyed item becomes checked.
  void ToggleAll();
  void ToggleSelected();

 private:
  template <class List>
  void FillWith(List& sList, bool checked) const {
    sList.BeginUpdate();
    try {
      sList.Clear();
      for (int i = 0; i < Items().Count(); ++i)
        if (Checked(i) == checked) sList.AddObject(Items().Get(i), Items().GetObject(i));
    } catch (...) {
      sList.EndUpdate();
      throw;
    }
    sList.EndUpdate();
  }

  template <class List>
  void SetByList(const List& sList, bool ByObject, bool checkFound) {
    Items().BeginUpdate();
    try {
      for (int i = 0; i < Items().Count(); ++i) {
        bool found = ByObject ? sList.IndexOfObject(Items().GetObject(i)) != -1 : sList.IndexOf(Items().Get(i)) != -1;
        SetChecked(i, found == checkFound);
      }
    } catch (...) {
      Items().EndUpdate();
      throw;
    }
    Items().EndUpdate();
  }
};

}  // namespace hv
