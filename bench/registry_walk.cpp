// How much the one-call registry functions cost over bare Win32 on the walk a removal makes:
// list 5,000 uninstall-style entries, then read two strings of each. Prints the ratio.
#include <chrono>
#include <cstdio>
#include <string>

#include "HvLXRegistry.h"

namespace {

constexpr int kEntries = 5000;

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The same walk with bare calls and a fixed buffer, as a floor to compare against.
size_t WalkBare(const std::wstring& parent) {
  size_t characters = 0;
  HKEY list;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, parent.c_str(), 0, KEY_READ, &list) != ERROR_SUCCESS) return 0;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(list, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    for (const wchar_t* value : {L"DisplayName", L"UninstallString"}) {
      HKEY entry;
      if (RegOpenKeyExW(list, name, 0, KEY_READ, &entry) != ERROR_SUCCESS) continue;
      wchar_t text[512];
      DWORD size = sizeof(text);
      if (RegQueryValueExW(entry, value, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS)
        characters += size / sizeof(wchar_t);
      RegCloseKey(entry);
    }
  }
  RegCloseKey(list);
  return characters;
}

size_t WalkLX(const std::wstring& parent) {
  size_t characters = 0;
  for (const std::wstring& name : hv::RegGetKeyNamesLX(HKEY_CURRENT_USER, parent))
    for (const wchar_t* value : {L"DisplayName", L"UninstallString"})
      characters += hv::RegReadStringDefLX(HKEY_CURRENT_USER, parent + L"\\" + name, value, L"").size() + 1;
  return characters;
}

}  // namespace

int wmain() {
  const std::wstring parent = L"Software\\HvBench\\" + std::to_wstring(GetCurrentProcessId());
  RegDeleteTreeW(HKEY_CURRENT_USER, parent.c_str());
  for (int i = 0; i < kEntries; ++i) {
    std::wstring key = parent + L"\\{" + std::to_wstring(100000 + i) + L"-ENTRY}";
    hv::RegWriteStringLX(HKEY_CURRENT_USER, key, L"DisplayName", L"Product number " + std::to_wstring(i));
    hv::RegWriteStringLX(HKEY_CURRENT_USER, key, L"UninstallString", L"C:\\Program Files\\P\\uninstall.exe /x");
  }

  auto start = std::chrono::steady_clock::now();
  size_t bare = WalkBare(parent);
  auto middle = std::chrono::steady_clock::now();
  size_t lx = WalkLX(parent);
  auto end = std::chrono::steady_clock::now();

  RegDeleteTreeW(HKEY_CURRENT_USER, parent.c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\HvBench");
  std::printf("registry walk of %d entries: bare %.3f s, one-call functions %.3f s, ratio %.2f%s\n", kEntries,
              Seconds(middle - start), Seconds(end - middle), Seconds(end - middle) / Seconds(middle - start),
              bare == lx ? "" : " (results differ!)");
  return 0;
}
