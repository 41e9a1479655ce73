#include "DialogDriver.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include "FormsTestSupport.h"

namespace dlgtest {
namespace {

struct Search {
  std::wstring caption, className;
  int index = 0;
  HWND found = nullptr;
};

BOOL CALLBACK FindVisibleTop(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  if (IsWindowVisible(hwnd) && DialogDriver::Text(hwnd) == s->caption) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindChild(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  if (!s->caption.empty() && DialogDriver::Text(hwnd) == s->caption) {
    s->found = hwnd;
    return FALSE;
  }
  if (!s->className.empty()) {
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (CompareStringOrdinal(cls, -1, s->className.c_str(), -1, TRUE) == CSTR_EQUAL && s->index-- == 0) {
      s->found = hwnd;
      return FALSE;
    }
  }
  return TRUE;
}

HWND FindTop(DWORD thread, const std::wstring& caption) {
  Search s;
  s.caption = caption;
  EnumThreadWindows(thread, FindVisibleTop, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

void SendKeys(std::vector<INPUT>& in) { ASSERT_EQ(SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT)), in.size()); }

// The main thread's active and focused windows (null ones when it has none).
GUITHREADINFO ThreadInfo(DWORD thread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(thread, &info)) info = GUITHREADINFO{};
  return info;
}

INPUT KeyInput(WORD vk, bool up) {
  INPUT i{};
  i.type = INPUT_KEYBOARD;
  i.ki.wVk = vk;
  i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return i;
}

}  // namespace

DialogDriver::DialogDriver(std::function<void(DialogDriver&)> script) : FMainThread(GetCurrentThreadId()) {
  FThread = std::thread([this, script = std::move(script)] {
    script(*this);
    FDone = true;
    // Whatever the script left open goes, innermost first.
    for (int round = 0; round < 5; ++round) {
      HWND active = ThreadInfo(FMainThread).hwndActive;
      if (!active || !IsWindowVisible(active) || GetWindow(active, GW_OWNER) == nullptr) break;
      PostMessageW(active, WM_CLOSE, 0, 0);
      Sleep(200);
    }
  });
}

DialogDriver::~DialogDriver() {
  // The script waits for the main thread, which serves it while it pumps.
  while (!FDone) {
    Sleep(10);
    hvtest::Pump();
  }
  FThread.join();
}

HWND DialogDriver::WaitWindow(const std::wstring& caption) {
  for (int i = 0; i < 500; ++i) {
    if (HWND h = FindTop(FMainThread, caption)) {
      Settle();
      return h;
    }
    Sleep(10);
  }
  ADD_FAILURE() << "no window \"" << std::string(caption.begin(), caption.end()) << "\"";
  return nullptr;
}

bool DialogDriver::WaitGone(const std::wstring& caption) {
  for (int i = 0; i < 500; ++i) {
    if (!FindTop(FMainThread, caption)) return true;
    Sleep(10);
  }
  return false;
}

HWND DialogDriver::Control(HWND top, const std::wstring& caption) {
  Search s;
  s.caption = caption;
  if (top) EnumChildWindows(top, FindChild, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND DialogDriver::ControlOfClass(HWND top, const std::wstring& className, int index) {
  Search s;
  s.className = className;
  s.index = index;
  if (top) EnumChildWindows(top, FindChild, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND DialogDriver::Focus() const { return ThreadInfo(FMainThread).hwndFocus; }

void DialogDriver::Key(WORD vk, const std::vector<WORD>& modifiers) {
  std::vector<INPUT> in;
  for (WORD m : modifiers) in.push_back(KeyInput(m, false));
  in.push_back(KeyInput(vk, false));
  in.push_back(KeyInput(vk, true));
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) in.push_back(KeyInput(*it, true));
  SendKeys(in);
  Settle();
}

void DialogDriver::Release(WORD vk) {
  std::vector<INPUT> in{KeyInput(vk, true)};
  SendKeys(in);
  Settle();
}

void DialogDriver::Type(const std::wstring& text) {
  for (wchar_t ch : text) {
    std::vector<INPUT> in(2);
    for (int i = 0; i < 2; ++i) {
      in[i].type = INPUT_KEYBOARD;
      in[i].ki.wScan = ch;
      in[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
    }
    SendKeys(in);
  }
  Settle();
}

void DialogDriver::Settle() {
  // Input reaches the queue through the server; a sent message is answered only once the
  // main thread looks at its queue again, after what came before it.
  for (int i = 0; i < 4; ++i) {
    Sleep(15);
    if (HWND active = ThreadInfo(FMainThread).hwndActive)
      SendMessageTimeoutW(active, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
  }
}

RECT DialogDriver::ClientRect(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::wstring DialogDriver::Text(HWND hwnd) {
  int length = GetWindowTextLengthW(hwnd);
  std::wstring text(length + 1, L'\0');
  text.resize(GetWindowTextW(hwnd, text.data(), length + 1));
  return text;
}

bool DialogDriver::Checked(HWND hwnd) { return SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::vector<std::wstring> DialogDriver::ComboItems(HWND combo) {
  std::vector<std::wstring> items;
  int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring item(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) + 1, L'\0');
    item.resize(SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data())));
    items.push_back(item);
  }
  return items;
}

std::vector<std::wstring> DialogDriver::Tabs(HWND tabControl) {
  std::vector<std::wstring> tabs;
  int count = static_cast<int>(SendMessageW(tabControl, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[128] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 128;
    SendMessageW(tabControl, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    tabs.push_back(text);
  }
  return tabs;
}

}  // namespace dlgtest
