#include "HvMachineSnapshot.h"

#include <algorithm>
#include <tuple>
#include <vector>

#include "HvHandles.h"
#include "HvLXPaths.h"
#include "HvLXSpecialFolders.h"
#include "HvLXStrings.h"
#include "HvWindows.h"

namespace hvplant {
namespace {

// Whether `path` starts with one of `prefixes`, compared as the system compares names.
bool Excluded(const std::wstring& path, std::initializer_list<std::wstring_view> prefixes) {
  for (std::wstring_view prefix : prefixes)
    if (path.size() >= prefix.size() && hv::SameTextOrdinal(std::wstring_view(path).substr(0, prefix.size()), prefix))
      return true;
  return false;
}

// Other suites' scratch keys and Wine's own bookkeeping change while this suite runs.
bool RegistryExcluded(const std::wstring& path) {
  return Excluded(path, {L"HKLM\\SOFTWARE\\HvTests", L"HKLM64\\SOFTWARE\\HvTests", L"HKCU\\Software\\HvTests",
                         L"HKCU\\Software\\HalvernTest", L"HKCU\\Software\\Halvern", L"HKCU\\Software\\HvBench",
                         L"HKCU\\Software\\Wine", L"HKLM64\\SOFTWARE\\Wine", L"HKLM\\SOFTWARE\\Wine",
                         L"HKLM64\\SOFTWARE\\Classes", L"HKLM\\SOFTWARE\\Classes",
                         L"HKLM64\\SOFTWARE\\Wow6432Node", L"HKCU\\Software\\Classes"});
}

void AddKey(MachineSnapshot& snapshot, HKEY root, const std::wstring& name, const std::wstring& path, REGSAM view) {
  if (RegistryExcluded(name)) return;
  hv::UniqueHKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS) return;
  snapshot.lines.insert(L"key " + name);
  std::vector<wchar_t> valueName(16384);
  std::vector<BYTE> data(1 << 16);
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = static_cast<DWORD>(valueName.size()), type = 0, size = static_cast<DWORD>(data.size());
    LSTATUS result = RegEnumValueW(key.get(), i, valueName.data(), &nameLength, nullptr, &type, data.data(), &size);
    if (result == ERROR_MORE_DATA) {
      data.resize(size + 2);
      --i;
      continue;
    }
    if (result != ERROR_SUCCESS) break;
    std::wstring line = L"value " + name + L"|" + std::wstring(valueName.data(), nameLength) + L"=" +
                        std::to_wstring(type) + L":";
    wchar_t hex[3];
    for (DWORD b = 0; b < size; ++b) {
      swprintf(hex, 3, L"%02x", data[b]);
      line += hex;
    }
    snapshot.lines.insert(line);
  }
  std::vector<std::wstring> children;
  wchar_t child[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(key.get(), i, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.emplace_back(child, length);
  }
  key.reset();
  for (const std::wstring& c : children) AddKey(snapshot, root, name + L"\\" + c, path + L"\\" + c, view);
}

// The temporary folders are every suite's scratch space; the library's data folder holds what
// the program keeps for itself (registry backups of its removals, event logs).
bool FolderExcluded(const std::wstring& path) {
  static const std::wstring libraryData = hv::IncludeTrailingBackslashLX(hv::GetUserDataFolder()) + L"Halvern";
  // Where the library keeps its data on Windows; suites pinned to Windows write event logs there.
  static const std::wstring windowsLibraryData = hv::IncludeTrailingBackslashLX(hv::GetLocalAppDataFolder()) + L"Halvern";
  static const std::wstring userTemp = [] {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    std::wstring t = temp;
    if (!t.empty() && t.back() == L'\\') t.pop_back();
    return t;
  }();
  // WinInet's own cache, cookies and history: every program of the library loads WinInet at
  // start, so any program's first run (another suite's, alongside) may make their files.
  static const std::wstring inet = hv::IncludeTrailingBackslashLX(hv::GetLocalAppDataFolder()) + L"Microsoft\\Windows\\";
  static const std::wstring inetCache = inet + L"INetCache", inetCookies = inet + L"INetCookies", inetHistory = inet + L"History";
  // Wine makes "My Documents" at the drive's root the first time any program asks the shell
  // for certain folders. The program keeps its logs and registry backups in ProgramData.
  return Excluded(path, {userTemp, libraryData, windowsLibraryData, inetCache, inetCookies, inetHistory,
                         L"C:\\windows\\temp", L"C:\\My Documents", L"C:\\ProgramData\\HalvernUninstaller"});
}

void AddFolder(MachineSnapshot& snapshot, const std::wstring& folder) {
  if (FolderExcluded(folder)) return;
  WIN32_FIND_DATAW fd;
  hv::UniqueFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &fd));
  if (!find) return;
  std::vector<std::wstring> subfolders;
  do {
    const std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + L"\\" + name;
    const bool directory = fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    // A link is listed as itself, never followed.
    const bool link = fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
    if (directory && !link) {
      if (!FolderExcluded(path)) {
        snapshot.lines.insert(L"folder " + path);
        subfolders.push_back(path);
      }
    } else {
      snapshot.lines.insert((link ? L"link " : L"file ") + path + L" " +
                            std::to_wstring((ULONGLONG(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow));
    }
  } while (FindNextFileW(find.get(), &fd));
  find.reset();
  for (const std::wstring& sub : subfolders) AddFolder(snapshot, sub);
}

}  // namespace

MachineSnapshot TakeSnapshot() {
  MachineSnapshot snapshot;
  AddKey(snapshot, HKEY_LOCAL_MACHINE, L"HKLM\\SOFTWARE", L"SOFTWARE", KEY_WOW64_32KEY);
  AddKey(snapshot, HKEY_LOCAL_MACHINE, L"HKLM64\\SOFTWARE", L"SOFTWARE", KEY_WOW64_64KEY);
  AddKey(snapshot, HKEY_CLASSES_ROOT, L"HKCR\\Installer", L"Installer", KEY_WOW64_32KEY);
  AddKey(snapshot, HKEY_CLASSES_ROOT, L"HKCR64\\Installer", L"Installer", KEY_WOW64_64KEY);
  AddKey(snapshot, HKEY_CURRENT_USER, L"HKCU\\Software", L"Software", 0);
  AddFolder(snapshot, L"C:");
  return snapshot;
}

std::wstring SnapshotDifference(const MachineSnapshot& a, const MachineSnapshot& b, std::size_t limit) {
  std::wstring text;
  std::size_t shown = 0;
  for (const auto& [from, to, mark] : {std::tuple{&a, &b, L"- "}, std::tuple{&b, &a, L"+ "}})
    for (const std::wstring& line : from->lines)
      if (!to->lines.count(line) && shown++ < limit) text += mark + line + L"\n";
  if (shown > limit) text += L"(" + std::to_wstring(shown - limit) + L" more)\n";
  return text;
}

}  // namespace hvplant
