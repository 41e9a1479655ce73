#include "HvStdCtrls.h"

#include "HvExceptions.h"
#include "HvLXClock.h"
#include "HvLXVersion.h"
#include "HvScopeExit.h"

namespace hv {
namespace {
// A pause longer than this starts a new search in the list styles.
const int kSearchPauseMs = 1249;
}  // namespace

int THvComboBox::FindItem(int start, const std::wstring& text) {
  if (auto* finder = dynamic_cast<IHvComboItemFinder*>(this)) return finder->FindComboItem(text, start);
  if (!HandleAllocated()) return -1;
  LRESULT r = SendMessageW(Handle(), CB_FINDSTRING, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(text.c_str()));
  return r == CB_ERR ? -1 : static_cast<int>(r);
}

int THvComboBox::FindUniqueItem(const std::wstring& text) {
  int first = FindItem(-1, text);
  // Searching on from the first match wraps around to it again when no other item matches.
  return first != -1 && FindItem(first, text) == first ? first : -1;
}

bool THvComboBox::SelectMatch(const std::wstring& candidate, bool appendRest, bool uniqueOnly) {
  int index = uniqueOnly ? FindUniqueItem(candidate) : FindItem(-1, candidate);
  if (index == -1) return false;
  const std::wstring item = Items().Get(index);
  bool changed = Style() == TComboBoxStyle::csDropDown ? Text() != item : ItemIndex() != index;
  if (AutoCloseUp() && Items().IndexOf(candidate) != -1) SetDroppedDown(false);
  SetItemIndex(index);
  if (HasEditField()) {
    std::wstring text = item;
    if (appendRest && candidate.size() <= item.size()) text = candidate + item.substr(candidate.size());
    SetText(text);
    SetSelStart(static_cast<int>(candidate.size()));
    SetSelLength(static_cast<int>(text.size()) - SelStart());
  }
  if (changed) {
    Click();
    Select();
  }
  return true;
}

void THvComboBox::KeyPress(wchar_t& key) {
  if (!HasEditField()) {
    TComboBox::KeyPress(key);
    return;
  }
  // The base handling runs without any completion of its own; ours follows.
  bool autoComplete = AutoComplete();
  SetAutoComplete(false);
  {
    ScopeExit restore([this, autoComplete] { SetAutoComplete(autoComplete); });
    TComboBox::KeyPress(key);
  }
  DoAutoCompleteKeyPress(key);
}

void THvComboBox::DoAutoCompleteKeyPress(wchar_t& key) {
  _HvComboBox_AutoCompleteKeyPress(*this, key, AutoCompleteAppendRest(), AutoCompleteUniqueOnly());
}

void _HvComboBox_AutoCompleteKeyPress(THvComboBox& combo, wchar_t& key, bool appendRest, bool uniqueOnly) {
  if (!combo.HasEditField())
    throw EAssertionFailed(
        L"Internal Error: _HvComboBox_AutoCompleteKeyPress is only for csSimple and csDropDown style combo boxes.");
  if (!combo.AutoComplete()) return;
  switch (key) {
    case 0:
    case VK_BACK:
    case VK_ESCAPE: return;
    case VK_TAB:
      if (combo.AutoDropDown() && combo.DroppedDown()) combo.SetDroppedDown(false);
      return;
  }
  if (combo.AutoDropDown() && !combo.DroppedDown()) {
    // Opening the list puts the matching item's text into the field: keep what was typed.
    const std::wstring text = combo.Text();
    int start = combo.SelStart(), length = combo.SelLength();
    combo.SetDroppedDown(true);
    combo.SetText(text);
    combo.SetSelStart(start);
    combo.SetSelLength(length);
  }
  const std::wstring text = combo.Text();
  int start = combo.SelStart();
  // Only typing at the end completes; a character typed inside the text is just inserted.
  if (start + combo.SelLength() != static_cast<int>(text.size())) return;
  if (combo.SelectMatch(text.substr(0, start) + key, appendRest, uniqueOnly)) key = 0;
}

LRESULT THvComboBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  // The dialog manager takes Tab for moving on before a list style sees it: while a list that
  // typing opened is down, Tab is the control's, to close it (the next Tab moves on).
  if (msg == WM_GETDLGCODE && !HasEditField() && AutoComplete() && AutoDropDown() && DroppedDown())
    return TComboBox::WndProc(msg, wParam, lParam) | DLGC_WANTTAB;
  return TComboBox::WndProc(msg, wParam, lParam);
}

void THvComboBox::WMChar(wchar_t& key) {
  if (!HasEditField() && AutoComplete()) {
    switch (key) {
      case VK_BACK:
        if (!FFilter.empty()) FFilter.pop_back();
        break;
      case VK_TAB:
        if (AutoDropDown() && DroppedDown()) SetDroppedDown(false);
        break;
      case VK_ESCAPE: break;
      default: {
        if (AutoDropDown() && !DroppedDown()) SetDroppedDown(true);
        std::uint32_t now = TickCountLX();
        if (ElapsedMs(FLastTime, now) > kSearchPauseMs) FFilter.clear();
        FLastTime = now;
        if (SelectMatch(FFilter + key, true, false)) {
          FFilter += key;
          key = 0;
        }
      }
    }
  }
  if (key) TComboBox::WMChar(key);
}

}  // namespace hv
