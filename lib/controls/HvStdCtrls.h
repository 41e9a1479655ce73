// THvComboBox: a combo box that searches its items as the user types, the same way in every
// style. In the edit styles a typed character completes the text to the first item that
// begins with what was typed and selects the completed rest, so the next character replaces
// it; in the list styles the characters typed without a pause of more than 1249 ms build one
// search text.
#pragma once

#include <cstdint>
#include <string>

#include "HvComboBox.h"

namespace hv {

// A combo box class may answer item searches itself (for example over items it does not
// hand to the native control); without it the native prefix search is used.
class IHvComboItemFinder {
 public:
  virtual ~IHvComboItemFinder() = default;
  // The first item after `start` (wrapping around; -1: from the first) that begins with
  // `text`, or -1.
  virtual int FindComboItem(const std::wstring& text, int start) = 0;
};

class THvComboBox : public TComboBox {
 public:
  using TComboBox::TComboBox;

  // The first item after `start` that begins with `text`, case ignored, or -1.
  int FindItem(int start, const std::wstring& text);
  // The only item that begins with `text`, or -1 when none or several do.
  int FindUniqueItem(const std::wstring& text);

  // The search text typed so far in the list styles.
  const std::wstring& Filter() const { return FFilter; }

 protected:
  void KeyPress(wchar_t& key) override;
  void WMChar(wchar_t& key) override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // The completion step of the edit styles.
  virtual void DoAutoCompleteKeyPress(wchar_t& key);
  // Whether the text becomes the typed characters, in the case typed, followed by the rest of
  // the item (instead of the item's own text).
  virtual bool AutoCompleteAppendRest() const { return true; }
  // Whether to complete only when exactly one item begins with what was typed.
  virtual bool AutoCompleteUniqueOnly() const { return false; }

 private:
  friend void _HvComboBox_AutoCompleteKeyPress(THvComboBox& combo, wchar_t& key, bool appendRest, bool uniqueOnly);
  // Selects the first (or only) item that begins with `candidate`; false when there is none.
  bool SelectMatch(const std::wstring& candidate, bool appendRest, bool uniqueOnly);

  std::wstring FFilter;
  std::uint32_t FLastTime = 0;
};

// Completes the edit field of `combo` on the typed `key` (set to 0 when used). Raises
// EAssertionFailed for a combo box in a list style.
void _HvComboBox_AutoCompleteKeyPress(THvComboBox& combo, wchar_t& key, bool appendRest, bool uniqueOnly);

}  // namespace hv
