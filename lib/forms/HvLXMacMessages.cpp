#include "HvLXMacMessages.h"

#include <algorithm>
#include <cwctype>
#include <utility>

#include "HvLXHost.h"

namespace hv {
namespace {

TSendInputProc gSendInput = &::SendInput;

// Shortcut modifier bits (key code plus these, as shortcuts are stored).
constexpr unsigned kShortcutShift = 0x2000, kShortcutCtrl = 0x4000, kShortcutAlt = 0x8000;
// What Wine on macOS reports for Option plus these keys: the lower-case characters of the
// usual Ctrl shortcuts (open, new, save, select all, undo, cut, copy, paste, bold, italic,
// underline, comma) and q, which quits.
constexpr wchar_t kMacShortcutChars[] = L"onsazxcvbiu,q";

// The Mac keyboard swaps the roles of Ctrl and Alt (Command and Option) for Windows programs.
bool IsKeyDown(int key) {
  if (IsMac()) {
    if (key == VK_CONTROL)
      key = VK_MENU;
    else if (key == VK_MENU)
      key = VK_CONTROL;
  }
  return GetKeyState(key) < 0;
}

bool SendKey(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return gSendInput(1, &input, sizeof(INPUT)) == 1;
}

unsigned ShortcutOf(const MSG& msg) {
  unsigned value = static_cast<unsigned>(msg.wParam & 0xFFFF);
  if (GetKeyState(VK_SHIFT) < 0) value += kShortcutShift;
  if (GetKeyState(VK_CONTROL) < 0) value += kShortcutCtrl;
  if (msg.lParam & 0x20000000) value += kShortcutAlt;  // the context code: Alt was held
  return value;
}

// Option+key becomes Ctrl+key (Option+Q becomes Alt+F4) by synthesised input. The keys
// pressed are always released, even when an earlier step failed, so no key stays stuck.
void TurnIntoCtrlShortcut(HWND target, wchar_t ch, bool ctrlDown) {
  WORD key = ch == L',' ? VK_OEM_COMMA : static_cast<WORD>(std::towupper(ch));
  SendKey(VK_MENU, true);
  bool pressed = SendKey(VK_CONTROL, false);
  if (pressed) SendKey(key, false);
  SendKey(key, true);
  SendKey(VK_CONTROL, true);
  if (ctrlDown) SendKey(VK_MENU, false);
  if (ch == L'q') {
    SendKey(VK_MENU, true);
    SendKey(VK_MENU, false);
    SendKey(VK_F4, false);
    SendKey(VK_F4, true);
    SendKey(VK_MENU, true);
    SendKey(VK_MENU, false);
    if (ctrlDown) PostMessageW(target, WM_KEYUP, VK_MENU, 0);
  }
}

}  // namespace

UINT WM_WINE_SIMULATE_CONTEXTMENU_ON_MOUSE_DOWN() {
  static const UINT id = RegisterWindowMessageW(L"HvLXVclUtils.WM_WINE_SIMULATE_CONTEXTMENU_ON_MOUSE_DOWN");
  return id;
}

ScopedSendInputProc::ScopedSendInputProc(TSendInputProc proc)
    : FSaved(std::exchange(gSendInput, proc ? proc : &::SendInput)) {}
ScopedSendInputProc::~ScopedSendInputProc() { gSendInput = FSaved; }

void MacAppMessageHandler(MSG& msg, bool& handled) {
  if (msg.message == WM_LBUTTONDOWN) SendMessageW(msg.hwnd, WM_KEYUP, VK_MENU, 0);
  bool altDown = IsKeyDown(VK_MENU);
  bool ctrlDown = IsKeyDown(VK_CONTROL);
  if (msg.message == WM_LBUTTONDOWN && altDown) {
    // A one-button mouse: Option+click is the right click.
    msg.message = WM_RBUTTONDOWN;
    msg.wParam &= ~static_cast<WPARAM>(MK_CONTROL);
    if (SendMessageW(msg.hwnd, WM_WINE_SIMULATE_CONTEXTMENU_ON_MOUSE_DOWN(), 0, 0) != 0) {
      POINT pt{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
      ClientToScreen(msg.hwnd, &pt);
      SendMessageW(msg.hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(msg.hwnd), MAKELPARAM(pt.x, pt.y));
      handled = true;
    }
  } else if (msg.message == WM_LBUTTONUP && altDown) {
    msg.message = WM_RBUTTONUP;
    msg.wParam &= ~static_cast<WPARAM>(MK_CONTROL);
  } else if ((msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONUP) && ctrlDown) {
    msg.wParam |= MK_CONTROL;
  } else if (msg.message == WM_SYSCHAR) {
    // The character message: its code is the typed letter. The key-down message carries a
    // virtual key, and Alt+F4's (0x73) would read as Alt+s.
    unsigned shortcut = ShortcutOf(msg);
    for (const wchar_t* c = kMacShortcutChars; *c; ++c) {
      if (shortcut == kShortcutAlt + *c) {
        TurnIntoCtrlShortcut(msg.hwnd, *c, ctrlDown);
        handled = true;
        break;
      }
    }
  }
}

}  // namespace hv
