// Drives the program's windows from outside, as a person would: finds a top-level window by
// its caption, reads its controls, clicks buttons, toggles list items and answers message
// boxes. The end-to-end scripts call it between screenshots.
//   ui_driver wait <caption> [ms]          waits until a visible window with that caption exists
//   ui_driver gone <caption> [ms]          waits until no such window exists
//   ui_driver dump <caption>               prints each child control: class, text, state
//   ui_driver click <caption> <text>       presses the button with that text
//   ui_driver toggle <caption> <item>      toggles the check of the list item with that text
//   ui_driver ticks <caption>              prints each list item's tick as assistive technology
//                                          reads it: "<item>: checked|unchecked|mixed [unavailable]"
//   ui_driver act <caption> <item>         the item's default action through the same interface
//   ui_driver box <caption> [button]       waits for a message box, prints its text, presses a button (OK)
//   ui_driver close <caption>              asks the window to close
//   ui_driver syscommand <caption> <n>     chooses the system menu entry with command number n
//   ui_driver press <text> [ms]            waits for a visible button with that text in any window, presses it
//   ui_driver seen <text> [ms]             the same without pressing it
// Exit code 0 on success, 1 when the window or control is not found in time. Every wait is
// multiplied by the environment's HV_WAIT_FACTOR, if set.
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "HvChildWindows.h"
#include "HvComPtr.h"
#include "HvLXHostScripts.h"
#include "HvWindows.h"

#include <oleacc.h>

namespace {

struct Found {
  std::wstring caption;
  // Message boxes share the program's caption; their class tells them apart: `box` looks for
  // them only, every other command for anything else.
  bool dialogOnly = false;
  HWND hwnd = nullptr;
};

BOOL CALLBACK FindTop(HWND hwnd, LPARAM param) {
  auto* f = reinterpret_cast<Found*>(param);
  wchar_t text[512];
  GetWindowTextW(hwnd, text, 512);
  wchar_t cls[64];
  GetClassNameW(hwnd, cls, 64);
  if (IsWindowVisible(hwnd) && f->caption == text && f->dialogOnly == (std::wstring(cls) == L"#32770")) {
    f->hwnd = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindTopWindow(const std::wstring& caption, bool dialogOnly = false) {
  Found f{caption, dialogOnly};
  EnumWindows(FindTop, reinterpret_cast<LPARAM>(&f));
  return f.hwnd;
}

HWND WaitTopWindow(const std::wstring& caption, DWORD ms, bool dialogOnly = false) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND h = FindTopWindow(caption, dialogOnly)) return h;
    if (GetTickCount() - start > ms) return nullptr;
    Sleep(50);
  }
}

std::wstring ClassOf(HWND h) {
  wchar_t name[128];
  GetClassNameW(h, name, 128);
  return name;
}

std::wstring TextOf(HWND h) {
  int len = static_cast<int>(SendMessageW(h, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(len + 1, L'\0');
  SendMessageW(h, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(text.data()));
  text.resize(wcslen(text.c_str()));
  return text;
}

void Print(const std::wstring& line) {
  std::wstring text = line + L"\n";
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
  fputs(bytes.c_str(), stdout);
  fflush(stdout);
}

std::wstring Escape(std::wstring text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\r') continue;
    if (c == L'\n') out += L"\\n";
    else out += c;
  }
  return out;
}

// The items' texts (their ticks are drawn by the program; `ticks` reads them).
void DumpListBox(HWND h) {
  int count = static_cast<int>(SendMessageW(h, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    int len = static_cast<int>(SendMessageW(h, LB_GETTEXTLEN, i, 0));
    std::wstring text(len + 1, L'\0');
    SendMessageW(h, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    Print(L"  item " + std::to_wstring(i) + L": " + text);
  }
}

void Dump(HWND top) {
  Print(L"window: " + TextOf(top));
  for (HWND h : hv::ChildWindowsOf(top)) {
    std::wstring cls = ClassOf(h);
    std::wstring line = cls + L" \"" + Escape(TextOf(h)) + L"\"";
    if (cls == L"Button") {
      LONG style = GetWindowLongW(h, GWL_STYLE) & 0xF;
      if (style == BS_CHECKBOX || style == BS_AUTOCHECKBOX || style == BS_3STATE || style == BS_AUTO3STATE)
        line += SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED ? L" [x]" : L" [ ]";
    }
    if (!IsWindowEnabled(h)) line += L" (disabled)";
    Print(line);
    if (cls == L"ListBox") DumpListBox(h);
  }
}

HWND FindChild(HWND top, const std::wstring& cls, const std::wstring& text) {
  for (HWND h : hv::ChildWindowsOf(top))
    if (ClassOf(h) == cls && (text.empty() || TextOf(h) == text)) return h;
  return nullptr;
}

// The list's accessible object, as a screen reader gets it from another process.
hv::TComPtr<IAccessible> ListObject(HWND list) {
  hv::TComPtr<IAccessible> acc;
  HRESULT hr = AccessibleObjectFromWindow(list, OBJID_CLIENT, __uuidof(IAccessible), acc.put_void());
  if (FAILED(hr)) Print(L"no accessible object: " + std::to_wstring(static_cast<unsigned long>(hr)));
  return acc;
}

VARIANT ChildId(long id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

std::wstring NameOf(IAccessible& acc, long id) {
  BSTR name = nullptr;
  if (FAILED(acc.get_accName(ChildId(id), &name)) || !name) return {};
  std::wstring text(name, SysStringLen(name));
  SysFreeString(name);
  return text;
}

// Each item with its tick; false when the list does not answer.
bool PrintTicks(HWND list) {
  hv::TComPtr<IAccessible> acc = ListObject(list);
  long count = 0;
  if (!acc || FAILED(acc->get_accChildCount(&count))) return false;
  for (long id = 1; id <= count; ++id) {
    VARIANT role, state;
    if (FAILED(acc->get_accRole(ChildId(id), &role)) || FAILED(acc->get_accState(ChildId(id), &state))) return false;
    if (role.vt != VT_I4 || role.lVal != ROLE_SYSTEM_CHECKBUTTON) {
      Print(NameOf(*acc.get(), id) + L": not a check button");
      return false;
    }
    std::wstring line = NameOf(*acc.get(), id) + L": ";
    line += state.lVal & STATE_SYSTEM_CHECKED ? L"checked" : state.lVal & STATE_SYSTEM_MIXED ? L"mixed" : L"unchecked";
    if (state.lVal & STATE_SYSTEM_UNAVAILABLE) line += L" unavailable";
    Print(line);
  }
  return true;
}

bool DoDefaultAction(HWND list, const std::wstring& item) {
  hv::TComPtr<IAccessible> acc = ListObject(list);
  long count = 0;
  if (!acc || FAILED(acc->get_accChildCount(&count))) return false;
  for (long id = 1; id <= count; ++id)
    if (NameOf(*acc.get(), id) == item) return acc->accDoDefaultAction(ChildId(id)) == S_OK;
  return false;
}

}  // namespace

BOOL CALLBACK CollectTop(HWND h, LPARAM p) {
  if (IsWindowVisible(h)) reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
  return TRUE;
}

// A visible, enabled button with that text in any visible top-level window.
HWND FindButtonAnywhere(const std::wstring& text) {
  std::vector<HWND> tops;
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&tops));
  for (HWND top : tops)
    for (HWND h : hv::ChildWindowsOf(top))
      if (ClassOf(h) == L"Button" && IsWindowVisible(h) && IsWindowEnabled(h) && TextOf(h) == text) return h;
  return nullptr;
}

// Every wait multiplied by HV_WAIT_FACTOR from the environment: the 32-bit program under
// emulation takes minutes where it takes a second natively (scripts/wine-env.sh sets it).
DWORD Scaled(DWORD ms) {
  wchar_t factor[16];
  const DWORD length = GetEnvironmentVariableW(L"HV_WAIT_FACTOR", factor, 16);
  const int times = length > 0 && length < 16 ? _wtoi(factor) : 1;
  return times > 1 ? ms * static_cast<DWORD>(times) : ms;
}

int wmain(int argc, wchar_t** argv) {
  // Under Wine every program of the library needs the host shell before it asks the host.
  hv::InstallHostScriptRunner();
  if (argc < 3) {
    Print(L"usage: ui_driver wait|gone|dump|click|toggle|ticks|act|box|close <caption> [...]");
    return 2;
  }
  const std::wstring cmd = argv[1], caption = argv[2];
  if (cmd == L"press" || cmd == L"seen") {
    const DWORD wait = Scaled(argc > 3 ? _wtoi(argv[3]) : 20000);
    const DWORD start = GetTickCount();
    for (;;) {
      if (HWND button = FindButtonAnywhere(caption)) {
        if (cmd == L"press") PostMessageW(button, BM_CLICK, 0, 0);
        return 0;
      }
      if (GetTickCount() - start > wait) return 1;
      Sleep(20);
    }
  }
  const DWORD ms = Scaled(argc > 3 && (cmd == L"wait" || cmd == L"gone") ? _wtoi(argv[3]) : 20000);
  if (cmd == L"gone") {
    DWORD start = GetTickCount();
    while (FindTopWindow(caption)) {
      if (GetTickCount() - start > ms) return 1;
      Sleep(50);
    }
    return 0;
  }
  HWND top = WaitTopWindow(caption, ms, cmd == L"box");
  if (!top) {
    Print(L"no window \"" + caption + L"\"");
    return 1;
  }
  if (cmd == L"wait") return 0;
  if (cmd == L"dump") {
    Dump(top);
    return 0;
  }
  if (cmd == L"close") {
    PostMessageW(top, WM_CLOSE, 0, 0);
    return 0;
  }
  if (cmd == L"syscommand" && argc > 3) {
    // Wine keeps menus in the process that made them: another process cannot read the system
    // menu, so the entry is chosen by its command number.
    PostMessageW(top, WM_SYSCOMMAND, static_cast<WPARAM>(std::wcstoul(argv[3], nullptr, 0)), 0);
    return 0;
  }
  if (cmd == L"click" && argc > 3) {
    HWND button = FindChild(top, L"Button", argv[3]);
    if (!button) return 1;
    PostMessageW(button, BM_CLICK, 0, 0);
    return 0;
  }
  if (cmd == L"toggle" && argc > 3) {
    HWND list = FindChild(top, L"ListBox", L"");
    if (!list) return 1;
    int index = static_cast<int>(SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(argv[3])));
    if (index < 0) return 1;
    // A person focuses the item and presses Space.
    SetForegroundWindow(top);
    SendMessageW(list, LB_SETCURSEL, index, 0);
    PostMessageW(list, WM_KEYDOWN, VK_SPACE, 0x00390001);
    PostMessageW(list, WM_KEYUP, VK_SPACE, 0xC0390001);
    return 0;
  }
  if (cmd == L"ticks" || (cmd == L"act" && argc > 3)) {
    HWND list = FindChild(top, L"ListBox", L"");
    if (!list) return 1;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool ok = cmd == L"ticks" ? PrintTicks(list) : DoDefaultAction(list, argv[3]);
    CoUninitialize();
    return ok ? 0 : 1;
  }
  if (cmd == L"box") {
    // A message box: its text is the static control that is not the icon.
    for (HWND h : hv::ChildWindowsOf(top))
      if (ClassOf(h) == L"Static" && !TextOf(h).empty()) Print(L"box: " + Escape(TextOf(h)));
    HWND button = FindChild(top, L"Button", argc > 3 ? argv[3] : L"OK");
    if (!button) return 1;
    PostMessageW(button, BM_CLICK, 0, 0);
    return 0;
  }
  Print(L"unknown command");
  return 2;
}
