#include "HvMenus.h"

#include <cwctype>

namespace hv {
namespace {

void UpdateItemActions(TMenuItem& item) {
  for (int i = 0; i < item.Count(); ++i) {
    if (item[i].Action) item[i].Action->Update();
    UpdateItemActions(item[i]);
  }
}

void AddNativeItems(HMENU menu, TMenuItem& parent, std::vector<TMenuItem*>& itemsById) {
  for (int i = 0; i < parent.Count(); ++i) {
    TMenuItem& item = parent[i];
    if (item.IsLine()) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    bool enabled = item.Action ? item.Action->Enabled : item.Enabled;
    bool checked = item.Action ? item.Action->Checked : item.Checked;
    UINT flags = MF_STRING | (enabled ? 0 : MF_GRAYED) | (checked ? MF_CHECKED : 0);
    std::wstring caption = item.ShownCaption();
    if (item.Count() > 0) {
      HMENU sub = CreatePopupMenu();
      AddNativeItems(sub, item, itemsById);
      AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), caption.c_str());
    } else {
      itemsById.push_back(&item);
      AppendMenuW(menu, flags, itemsById.size(), caption.c_str());
    }
  }
}

void RethinkLevel(TMenuItem& parent, bool automatic) {
  std::wstring used;
  for (int i = 0; i < parent.Count(); ++i)
    if (wchar_t key = GetHotkey(parent[i].ShownCaption())) used += static_cast<wchar_t>(std::towlower(key));
  for (int i = 0; i < parent.Count(); ++i) {
    TMenuItem& item = parent[i];
    bool itemAutomatic = item.AutoHotkeys == TMenuAutoFlag::maParent ? automatic
                                                                      : item.AutoHotkeys == TMenuAutoFlag::maAutomatic;
    std::wstring caption = item.ShownCaption();
    if (itemAutomatic && !item.IsLine() && !GetHotkey(caption)) {
      for (size_t p = 0; p < caption.size(); ++p) {
        wchar_t c = static_cast<wchar_t>(std::towlower(caption[p]));
        if (std::iswalnum(c) && used.find(c) == std::wstring::npos) {
          used += c;
          item.SetShownCaption(caption.substr(0, p) + L"&" + caption.substr(p));
          break;
        }
      }
    }
    RethinkLevel(item, itemAutomatic);
  }
}

}  // namespace

wchar_t GetHotkey(const std::wstring& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] != L'&') return caption[i + 1];
    ++i;  // "&&" is a literal ampersand
  }
  return 0;
}

TMenuItem* TMenuItem::Add(const std::wstring& name, const std::wstring& caption, TAction* action) {
  FItems.push_back(std::make_unique<TMenuItem>());
  TMenuItem* item = FItems.back().get();
  item->Name = name;
  item->Caption = caption;
  item->Action = action;
  return item;
}

void TMenuItem::SetShownCaption(const std::wstring& caption) {
  if (Action)
    Action->Caption = caption;
  else
    Caption = caption;
}

void TMenuItem::Click() {
  if (Action) {
    Action->Update();
    Action->Execute();
  } else if (OnClick) {
    OnClick(*this);
  }
}

void TMenu::RethinkHotkeys() { RethinkLevel(FItems, IsAutomaticHotkeys()); }

HMENU TPopupMenu::BuildNativeMenu(std::vector<TMenuItem*>& itemsById) {
  UpdateItemActions(Items());
  HMENU menu = CreatePopupMenu();
  AddNativeItems(menu, Items(), itemsById);
  return menu;
}

TMenuItem* TPopupMenu::Popup(HWND owner, int x, int y) {
  std::vector<TMenuItem*> itemsById;
  HMENU menu = BuildNativeMenu(itemsById);
  UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, owner, nullptr);
  DestroyMenu(menu);
  if (chosen == 0 || chosen > itemsById.size()) return nullptr;
  TMenuItem* item = itemsById[chosen - 1];
  item->Click();
  return item;
}

}  // namespace hv
