// A combo box: a list of strings with an edit field (the editable styles) or a selection
// field (the list styles). The control keeps the items itself, so they survive a rebuilt
// window; the native combo box shows them and does the searching.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "HvControls.h"
#include "HvStrings.h"

namespace hv {

// In the platform's order: the first two have an edit field, the others only a list.
enum class TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TComboBox;

// The items of a combo box as a string list. Searching is the combo box's own: exact text,
// case ignored.
class TComboBoxStrings : public TStrings {
 public:
  explicit TComboBoxStrings(TComboBox& owner) : FOwner(owner) {}

  std::wstring Get(int index) const override;
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
  TComboBox& FOwner;
};

class TComboBox : public TWinControl {
 public:
  explicit TComboBox(TComponent* owner);
  ~TComboBox() override;

  TComboBoxStrings& Items() { return FStrings; }
  const TComboBoxStrings& Items() const { return FStrings; }

  TComboBoxStyle Style() const { return FStyle; }
  // Rebuilds the native window: only creation sets the style.
  void SetStyle(TComboBoxStyle style);
  // Drop-down and simple: the user types into an edit field.
  bool HasEditField() const { return FStyle == TComboBoxStyle::csDropDown || FStyle == TComboBoxStyle::csSimple; }

  // -1 when no item is selected.
  int ItemIndex() const;
  void SetItemIndex(int index);
  // The selection in the edit field (the list styles have none: 0 and 0).
  int SelStart() const;
  // Places the caret at `start` with nothing selected.
  void SetSelStart(int start);
  int SelLength() const;
  // Selects `length` characters from SelStart.
  void SetSelLength(int length);
  bool DroppedDown() const;
  void SetDroppedDown(bool value);
  // Items shown at once in the dropped-down list.
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int count);

  // Whether typing selects items (the library's combo box reads these; the native control
  // has its own first-letter search in the list styles).
  bool AutoComplete() const { return FAutoComplete; }
  void SetAutoComplete(bool value) { FAutoComplete = value; }
  bool AutoDropDown() const { return FAutoDropDown; }
  void SetAutoDropDown(bool value) { FAutoDropDown = value; }
  bool AutoCloseUp() const { return FAutoCloseUp; }
  void SetAutoCloseUp(bool value) { FAutoCloseUp = value; }

  // The edit field's window in the editable styles, else nullptr.
  HWND EditHandle() const { return FEditHandle; }

  // The user chose another item (after OnClick).
  TNotifyEvent OnSelect;
  // The user changed the edit field's text.
  TNotifyEvent OnChange;
  // A typed character; setting it to 0 keeps it from the control.
  std::function<void(TComboBox&, wchar_t& key)> OnKeyPress;

  bool ParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  void CreateParams(TControlParams& params) override;
  void InitializeHandle() override;
  void SaveHandleState() override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // A character typed into the edit field, or into the control in the list styles. A key set
  // to 0 does not reach the native control.
  virtual void KeyPress(wchar_t& key);
  // The character message of the control's own window (the list styles): by default KeyPress.
  virtual void WMChar(wchar_t& key) { KeyPress(key); }
  virtual void Select();
  virtual void Change();

 private:
  friend class TComboBoxStrings;
  struct TItem {
    std::wstring Text;
    void* Object = nullptr;
  };
  void CheckIndex(int index) const;
  void AttachEditField();
  void DrawItem(const DRAWITEMSTRUCT& dis);
  static LRESULT CALLBACK EditSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR self) noexcept;

  std::vector<TItem> FItems;
  TComboBoxStrings FStrings{*this};
  TComboBoxStyle FStyle = TComboBoxStyle::csDropDown;
  int FItemIndex = -1;  // kept while there is no native window
  int FDropDownCount = 8;
  bool FAutoComplete = true;
  bool FAutoDropDown = false;
  bool FAutoCloseUp = false;
  // The native combo box's child; destroyed with it.
  HWND FEditHandle = nullptr;
  // While the native control handles a change of its size (it may resize itself then).
  bool FFittingItself = false;
};

}  // namespace hv
