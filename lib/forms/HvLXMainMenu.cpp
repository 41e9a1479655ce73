#include "HvLXMainMenu.h"

#include <cwctype>

#include "HvLXHost.h"

namespace hv {
namespace {

bool gAdjusting = false;

// Letters that the Mac keyboard adaptation turns into Ctrl shortcuts (open, new, save, ...):
// a menu must not claim them as Alt hotkeys there.
constexpr wchar_t kMacReservedHotkeys[] = L"onsazxcvbiu,";

class TAdjustingScope {
 public:
  TAdjustingScope() { gAdjusting = true; }
  ~TAdjustingScope() { gAdjusting = false; }
};

}  // namespace

void AdjustMainMenu(TMenu* menu) {
  if (gAdjusting || !menu) return;
  TAdjustingScope scope;
  if (menu->IsAutomaticHotkeys()) menu->RethinkHotkeys();
  if (!IsMac()) return;
  TMenuItem& items = menu->Items();
  for (int i = 0; i < items.Count(); ++i)
    if (items[i].AutoHotkeys == TMenuAutoFlag::maParent) items[i].AutoHotkeys = menu->AutoHotkeys();
  menu->SetAutoHotkeys(TMenuAutoFlag::maManual);
  for (int i = 0; i < items.Count(); ++i) {
    std::wstring caption = items[i].ShownCaption();
    wchar_t key = static_cast<wchar_t>(std::towlower(GetHotkey(caption)));
    if (!key || !std::wcschr(kMacReservedHotkeys, key)) continue;
    for (size_t p = 0; p + 1 < caption.size(); ++p) {
      if (caption[p] == L'&' && std::towlower(caption[p + 1]) == key) {
        caption.erase(p, 1);
        items[i].SetShownCaption(caption);
        break;
      }
    }
  }
}

}  // namespace hv
