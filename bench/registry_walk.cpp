// How much the one-call registry functions cost over bare Win32 on the walk a removal makes:
// list N uninstall-style entries (5,000 at full size), then read two strings of each. Both
// walks run once to warm up, then in turns several times; the best run of each counts.
// Prints the ratio; fails when a walk reads other strings than were written.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "BenchSupport.h"
#include "HvLXRegistry.h"

namespace {

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The same walk with bare calls, a fixed buffer and one open per entry for both strings: the
// floor to compare against.
size_t WalkBare(const std::wstring& parent) {
  size_t characters = 0;
  HKEY list;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, parent.c_str(), 0, KEY_READ | bench::kView, &list) != ERROR_SUCCESS) return 0;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(list, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY entry;
    if (RegOpenKeyExW(list, name, 0, KEY_READ | bench::kView, &entry) != ERROR_SUCCESS) continue;
    for (const wchar_t* value : {L"DisplayName", L"UninstallString"}) {
      wchar_t text[512];
      DWORD size = sizeof(text);
      if (RegQueryValueExW(entry, value, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS)
        characters += size / sizeof(wchar_t);
    }
    RegCloseKey(entry);
  }
  RegCloseKey(list);
  return characters;
}

// The best of `runs` timings of `walk`, and what its last run read.
template <class Walk>
double Best(Walk walk, int runs, size_t& read) {
  double best = 1e30;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    read = walk();
    best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
  }
  return best;
}

size_t WalkLX(const std::wstring& parent) {
  size_t characters = 0;
  for (const std::wstring& name : hv::RegGetKeyNamesLX(HKEY_CURRENT_USER, parent))
    for (const wchar_t* value : {L"DisplayName", L"UninstallString"})
      characters += hv::RegReadStringDefLX(HKEY_CURRENT_USER, parent + L"\\" + name, value, L"").size() + 1;
  return characters;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int entries = bench::Start(argc, argv, 5000);
  const std::wstring parent = L"Software\\HvBench\\" + std::to_wstring(GetCurrentProcessId());
  bench::DeleteKeyTree(HKEY_CURRENT_USER, parent);
  const std::wstring uninstall = L"C:\\Program Files\\P\\uninstall.exe /x";
  size_t written = 0;  // characters of both strings of every entry, each with its terminating NUL
  for (int i = 0; i < entries; ++i) {
    std::wstring key = parent + L"\\{" + std::to_wstring(100000 + i) + L"-ENTRY}";
    const std::wstring name = L"Product number " + std::to_wstring(i);
    hv::RegWriteStringLX(HKEY_CURRENT_USER, key, L"DisplayName", name);
    hv::RegWriteStringLX(HKEY_CURRENT_USER, key, L"UninstallString", uninstall);
    written += name.size() + 1 + uninstall.size() + 1;
  }

  constexpr int kRounds = 5;
  size_t bare = 0, lx = 0;
  Best([&] { return WalkBare(parent); }, 1, bare);  // warm-up: both walks meet a warm registry
  Best([&] { return WalkLX(parent); }, 1, lx);
  double bareBest = 1e30, lxBest = 1e30;
  for (int round = 0; round < kRounds; ++round) {
    bareBest = std::min(bareBest, Best([&] { return WalkBare(parent); }, 1, bare));
    lxBest = std::min(lxBest, Best([&] { return WalkLX(parent); }, 1, lx));
  }

  const bool removed = bench::DeleteKeyTree(HKEY_CURRENT_USER, parent);
  // Only when no other run holds a key in it.
  RegDeleteKeyExW(HKEY_CURRENT_USER, L"Software\\HvBench", bench::kView, 0);
  std::printf("registry walk of %d entries, best of %d warm runs each: bare (one open per entry) %.3f s, "
              "one-call functions %.3f s, ratio %.2f%s\n",
              entries, kRounds, bareBest, lxBest, lxBest / bareBest, bare == lx ? "" : " (results differ!)");
  bench::Check(bare == written, "the bare walk read %zu characters, %zu were written", bare, written);
  bench::Check(lx == written, "the one-call functions read %zu characters, %zu were written", lx, written);
  bench::Check(removed && !bench::KeyExists(HKEY_CURRENT_USER, parent), "the entries were not removed");
  return bench::ExitCode();
}
