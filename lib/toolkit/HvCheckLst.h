// A list box whose items carry a three-state check box and an enabled flag. The control
// keeps the items (text, object, state, enabled) itself; the native list box shows them,
// owner-drawn with the current theme, and does the searching.
#pragma once

#include <string>
#include <vector>

#include "HvControls.h"
#include "HvStrings.h"

namespace hv {

enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCheckListBox;

// The items of a check list box as a string list. Searching is the list box's own: exact
// text, case ignored.
class TListBoxStrings : public TStrings {
 public:
  explicit TListBoxStrings(TCheckListBox& owner) : FOwner(owner) {}

  std::wstring Get(int index) const override;
  void Put(int index, const std::wstring& s) override;
  void* GetObject(int index) const override;
  void PutObject(int index, void* object) override;
  int GetCount() const override;
  void Insert(int index, const std::wstring& s) override { InsertObject(index, s, nullptr); }
  void InsertObject(int index, const std::wstring& s, void* object) override;
  void Delete(int index) override;
  void Clear() override;
  int IndexOf(const std::wstring& s) const override;

 protected:
  void SetUpdateState(bool updating) override;

 private:
  TCheckListBox& FOwner;
};

class TCheckListBox : public TWinControl {
 public:
  explicit TCheckListBox(TComponent* owner);

  TListBoxStrings& Items() { return FStrings; }
  const TListBoxStrings& Items() const { return FStrings; }

  // Checked is true only for the checked state; setting it gives checked or unchecked.
  bool Checked(int index) const;
  void SetChecked(int index, bool value);
  TCheckBoxState State(int index) const;
  void SetState(int index, TCheckBoxState state);
  bool ItemEnabled(int index) const;
  void SetItemEnabled(int index, bool value);
  bool Selected(int index) const;
  void SetSelected(int index, bool value);
  int ItemIndex() const;
  void SetItemIndex(int index);

  // Sets every item to `state`; greyed or disabled items only when allowed.
  void CheckAll(TCheckBoxState state, bool allowGrayed = true, bool allowDisabled = true);

  // A user's toggle cycles through greyed too.
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool value) { FAllowGrayed = value; }
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool value) { FMultiSelect = value; }
  // Item height at 96 dots per inch.
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int value);

  // After the user changed an item's check box.
  std::function<void(TCheckListBox&, int index)> OnClickCheck;
  // Toggles an item as a click on its box does (and assistive technology's default action):
  // enabled items only, through greyed when that is allowed, then OnClickCheck.
  void ToggleByUser(int index);
  // The state the user's next toggle of the item gives: unchecked goes to greyed where that is
  // allowed, else to checked; checked to unchecked; greyed to checked.
  TCheckBoxState NextStateByUser(int index) const;
  // The user's toggle, made once the messages waiting now were handled: for a caller that must
  // not wait for what OnClickCheck does (a screen reader's call).
  void PostToggleByUser(int index);

  bool ParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  void CreateParams(TControlParams& params) override;
  void InitializeHandle() override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  friend class TListBoxStrings;
  struct TItem {
    std::wstring Text;
    void* Object = nullptr;
    TCheckBoxState State = TCheckBoxState::cbUnchecked;
    bool Enabled = true;
  };
  TItem& Item(int index);
  const TItem& Item(int index) const;
  void InvalidateItem(int index);
  int CheckWidth() const;
  void DrawItem(const DRAWITEMSTRUCT& dis);

  std::vector<TItem> FItems;
  TListBoxStrings FStrings{*this};
  bool FAllowGrayed = false;
  bool FMultiSelect = false;
  int FItemHeight = 13;
};

}  // namespace hv
