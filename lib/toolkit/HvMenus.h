// Menus described in code: items with captions, actions and sub-items; a pop-up menu shows
// them as a native menu. Hotkeys (the letter after "&") may be given by the caption or
// chosen automatically, so that items of one level never share a letter.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HvActions.h"
#include "HvComponent.h"
#include "HvWindows.h"

namespace hv {

enum class TMenuAutoFlag { maAutomatic, maManual, maParent };

class TMenuItem {
 public:
  TMenuItem() = default;
  TMenuItem(const TMenuItem&) = delete;
  TMenuItem& operator=(const TMenuItem&) = delete;

  std::wstring Name;
  // "-" makes a separator.
  std::wstring Caption;
  TAction* Action = nullptr;
  bool Enabled = true;
  bool Checked = false;
  TMenuAutoFlag AutoHotkeys = TMenuAutoFlag::maParent;
  std::function<void(TMenuItem&)> OnClick;

  TMenuItem* Add(const std::wstring& name, const std::wstring& caption = {}, TAction* action = nullptr);
  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem& operator[](int index) const { return *FItems.at(index); }
  bool IsLine() const { return ShownCaption() == L"-"; }
  // The caption, enabled and checked state as shown: the action's when there is one.
  std::wstring ShownCaption() const { return Action ? Action->Caption : Caption; }
  void SetShownCaption(const std::wstring& caption);
  // Runs the item: the action, else the click handler.
  void Click();

 private:
  std::vector<std::unique_ptr<TMenuItem>> FItems;
};

class TMenu : public TComponent {
 public:
  using TComponent::TComponent;
  TMenuItem& Items() { return FItems; }
  TMenuAutoFlag AutoHotkeys() const { return FAutoHotkeys; }
  void SetAutoHotkeys(TMenuAutoFlag mode) { FAutoHotkeys = mode; }
  // Whether the items get their hotkeys chosen automatically (a parent mode counts).
  bool IsAutomaticHotkeys() const { return FAutoHotkeys != TMenuAutoFlag::maManual; }
  // Gives every item of an automatic level without a hotkey the first free letter of its
  // caption.
  void RethinkHotkeys();

 private:
  TMenuItem FItems;
  TMenuAutoFlag FAutoHotkeys = TMenuAutoFlag::maAutomatic;
};

class TMainMenu : public TMenu {
 public:
  using TMenu::TMenu;
};

class TPopupMenu : public TMenu {
 public:
  using TMenu::TMenu;
  // Updates the items' actions and shows the menu at the screen point; runs the item the
  // user chooses. Answers that item, or nullptr.
  TMenuItem* Popup(HWND owner, int x, int y);
  // Fills a native menu with the items (ids from 1 in item order); for tests and Popup.
  HMENU BuildNativeMenu(std::vector<TMenuItem*>& itemsById);
};

// The hotkey character of a caption (after a single "&"), or 0.
wchar_t GetHotkey(const std::wstring& caption);

}  // namespace hv
