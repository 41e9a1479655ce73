#include "HvLXProtectedFolders.h"

#include <optional>
#include <vector>

#include "HvExceptions.h"
#include "HvHandles.h"
#include "HvLXHost.h"
#include "HvLXHostPaths.h"
#include "HvLXSystemText.h"
#include "HvLXLinks.h"
#include "HvLXPaths.h"
#include "HvWindows.h"
#include <knownfolders.h>
#include <shlobj.h>

namespace hv {
namespace {

struct TProtected {
  std::wstring key;  // comparison form, see Keys()
  std::wstring what;
};

std::wstring Upper(std::wstring text) {
  if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// "\\?\C:\x\" -> "C:\x", "\\?\UNC\srv\share" -> "\\srv\share".
std::wstring StripLongPrefix(std::wstring path) {
  if (path.starts_with(L"\\\\?\\UNC\\"))
    path = L"\\\\" + path.substr(8);
  else if (path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\"))
    path = path.substr(4);
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

// Reads a text whose length the call reports when asked with no buffer (the length
// including the NUL), as the folder and environment calls do.
template <class Get>
std::wstring AskSizeThenRead(Get get) {
  const DWORD size = static_cast<DWORD>(get(nullptr, 0));
  if (size == 0) return {};
  std::wstring text(size, L'\0');
  const DWORD len = static_cast<DWORD>(get(text.data(), size));
  text.resize(len < size ? len : 0);
  return text;
}

std::wstring LongNameOf(const std::wstring& path) {
  std::wstring name =
      AskSizeThenRead([&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(path.c_str(), buffer, size); });
  return name.empty() ? path : name;
}

// The forms under which a folder is compared: its name as written (made absolute, 8.3 parts
// expanded) and, when it exists, what it really is (links resolved).
std::vector<std::wstring> Keys(const std::wstring& path) {
  std::vector<std::wstring> keys;
  if (path.empty()) return keys;
  std::wstring full = ExpandFileNameLX(path);
  if (!full.starts_with(L"\\\\?\\") && full.size() > MAX_PATH - 12) full = LongFileName(full);
  keys.push_back(Upper(StripLongPrefix(LongNameOf(full))));
  if (std::optional<std::wstring> real = RealIdentity(full)) {
    std::wstring key = Upper(StripLongPrefix(*real));
    if (key != keys.front()) keys.push_back(key);
  }
  return keys;
}

// A drive root ("C:") or a share root ("\\server\share", "\\server").
bool IsRootKey(const std::wstring& key) {
  if (key.size() == 2 && key[1] == L':') return true;
  if (!key.starts_with(L"\\\\")) return false;
  const std::size_t server = key.find(L'\\', 2);
  return server == std::wstring::npos || key.find(L'\\', server + 1) == std::wstring::npos;
}

std::wstring ParentKey(const std::wstring& key) {
  const std::size_t sep = key.find_last_of(L'\\');
  return sep == std::wstring::npos ? std::wstring() : key.substr(0, sep);
}

struct CoTaskMemTraits {
  using Type = wchar_t*;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type memory) noexcept { CoTaskMemFree(memory); }
};

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
  UniqueHandle<CoTaskMemTraits> raw;  // freed on failure too
  std::wstring path;
  if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, raw.put())) && raw) path = raw.get();
  return path;
}

std::wstring EnvironmentFolder(const wchar_t* name) {
  return AskSizeThenRead([&](wchar_t* buffer, DWORD size) { return GetEnvironmentVariableW(name, buffer, size); });
}

std::wstring SystemFolder(UINT(WINAPI* get)(LPWSTR, UINT)) { return AskSizeThenRead(get); }

struct TProtectedSet {
  std::vector<TProtected> folders;
  std::vector<std::wstring> systemTrees;  // keys of the Windows folder's own sub-trees
  std::vector<std::wstring> userRoots;  // keys of the Users folder: profiles live directly inside

  void Add(const std::wstring& path, const std::wstring& what) {
    for (const std::wstring& key : Keys(path)) folders.push_back({key, what});
  }
};

// Under Wine the host's own folders are reachable through its drive (Z:, the host root, is a
// drive root already): the temporary folders that every program of the host shares and the
// host home folder.
void AddHostSharedFolders(TProtectedSet& set) {
  for (const wchar_t* shared : {L"/tmp", L"/var/tmp", L"/dev/shm"})
    set.Add(Wine_ConvertNativePathToDos(shared), L"a temporary folder of the host");
  set.Add(Wine_ConvertNativePathToDos(Wine_GetNativeTmpDir()), L"a temporary folder of the host");
  // Wine names the host home folder in WINEHOMEDIR ("\??\Z:\home\me"). Asking the shell here
  // would run a script, whose clean-up asks for this very set while it is being built.
  const std::wstring wineHome = GetEnvironmentValue(L"WINEHOMEDIR");
  if (wineHome.starts_with(L"\\??\\")) set.Add(wineHome.substr(4), L"the host's home folder");
  if (const std::wstring home = RememberedAbsHomePath(); home.starts_with(L"/"))
    set.Add(Wine_ConvertNativePathToDos(home), L"the host's home folder");
}

TProtectedSet BuildProtectedSet() {
  TProtectedSet set;
  set.Add(SystemFolder(GetWindowsDirectoryW), L"the Windows folder");
  set.Add(SystemFolder(GetSystemWindowsDirectoryW), L"the Windows folder");
  set.Add(SystemFolder(GetSystemDirectoryW), L"the System folder");
  set.Add(SystemFolder(GetSystemWow64DirectoryW), L"the System folder");
  struct TKnown {
    const KNOWNFOLDERID& id;
    const wchar_t* what;
  };
  const TKnown known[] = {
      {FOLDERID_ProgramFiles, L"a Program Files folder"},
      {FOLDERID_ProgramFilesX86, L"a Program Files folder"},
      {FOLDERID_ProgramFilesX64, L"a Program Files folder"},
      {FOLDERID_ProgramData, L"the ProgramData folder"},
      {FOLDERID_UserProfiles, L"the Users folder"},
      {FOLDERID_Public, L"a user profile folder"},
      {FOLDERID_Profile, L"the user's profile folder"},
      {FOLDERID_Desktop, L"the user's Desktop folder"},
      {FOLDERID_Documents, L"the user's Documents folder"},
      {FOLDERID_Downloads, L"the user's Downloads folder"},
      {FOLDERID_Pictures, L"the user's Pictures folder"},
      {FOLDERID_Music, L"the user's Music folder"},
      {FOLDERID_Videos, L"the user's Videos folder"},
      {FOLDERID_RoamingAppData, L"the user's AppData folder"},
      {FOLDERID_LocalAppData, L"the user's AppData folder"},
  };
  for (const TKnown& folder : known) set.Add(KnownFolder(folder.id), folder.what);
  // A 32-bit process learns the 64-bit Program Files only from the environment.
  set.Add(EnvironmentFolder(L"ProgramW6432"), L"a Program Files folder");
  set.Add(EnvironmentFolder(L"USERPROFILE"), L"the user's profile folder");
  for (const std::wstring& key : Keys(KnownFolder(FOLDERID_UserProfiles))) set.userRoots.push_back(key);
  for (const std::wstring& key : Keys(KnownFolder(FOLDERID_Profile))) {
    const std::wstring parent = ParentKey(key);
    if (!parent.empty()) set.userRoots.push_back(parent);
  }
  for (const std::wstring& root : set.userRoots) set.folders.push_back({root, L"the Users folder"});
  if (IsWine() && !IsChromeOS()) AddHostSharedFolders(set);
  // What the system keeps in its own folder, with everything below it; other folders of the
  // Windows folder (a product's cache, Temp) are not the system's.
  for (const std::wstring& windows : {SystemFolder(GetWindowsDirectoryW), SystemFolder(GetSystemWindowsDirectoryW)}) {
    if (windows.empty()) continue;
    for (const wchar_t* name : {L"System32", L"SysWOW64", L"SysNative", L"WinSxS", L"Fonts", L"servicing",
                                L"assembly", L"Installer", L"Boot"})
      for (const std::wstring& key : Keys(windows + L"\\" + name)) set.systemTrees.push_back(key);
  }
  for (const std::wstring& key : Keys(SystemFolder(GetSystemDirectoryW))) set.systemTrees.push_back(key);
  for (const std::wstring& key : Keys(SystemFolder(GetSystemWow64DirectoryW))) set.systemTrees.push_back(key);
  return set;
}

// These folders do not move while the program runs.
const TProtectedSet& ProtectedSet() {
  static const TProtectedSet set = BuildProtectedSet();
  return set;
}

// Why `path` is not a fully qualified local or network path, or empty when it is one: a
// relative or drive-relative path means whatever the current folder makes of it, a device or
// object-manager path and an alternate data stream are not folders of a drive or share.
std::wstring NotFullyQualified(const std::wstring& path) {
  if (path.empty()) return L"an empty path";
  auto isSeparator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  auto isDrive = [&](const std::wstring& p) {
    return p.size() >= 3 && iswalpha(p[0]) && p[1] == L':' && isSeparator(p[2]);
  };
  std::wstring rest;  // the part after the drive or share root, where no ':' may stand
  if (path.starts_with(L"\\\\?\\UNC\\")) {
    rest = path.substr(8);
  } else if (path.starts_with(L"\\\\?\\")) {
    if (!isDrive(path.substr(4))) return L"a device path";
    rest = path.substr(6);
  } else if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
    if (path.size() >= 3 && (path[2] == L'.' || path[2] == L'?')) return L"a device path";
    rest = path.substr(2);
  } else if (isDrive(path)) {
    rest = path.substr(2);
  } else {
    return L"not a full path (it depends on the current folder)";
  }
  if (rest.find(L':') != std::wstring::npos) return L"not a folder (it names a data stream)";
  return {};
}

bool IsAncestorKey(const std::wstring& ancestor, const std::wstring& key) {
  return key.size() > ancestor.size() + 1 && key.starts_with(ancestor) && key[ancestor.size()] == L'\\';
}

}  // namespace

bool IsProtectedFolder(const std::wstring& path, std::wstring* why) {
  auto answer = [&](const std::wstring& reason) {
    if (why) *why = reason;
    return true;
  };
  if (const std::wstring form = NotFullyQualified(path); !form.empty()) return answer(form);
  const TProtectedSet& set = ProtectedSet();
  for (const std::wstring& key : Keys(path)) {
    if (IsRootKey(key)) return answer(key.starts_with(L"\\\\") ? L"a share root" : L"a drive root");
    for (const TProtected& folder : set.folders) {
      if (key == folder.key) return answer(folder.what);
      if (IsAncestorKey(key, folder.key)) return answer(L"a folder that holds " + folder.what);
    }
    for (const std::wstring& tree : set.systemTrees)
      if (key == tree || IsAncestorKey(tree, key)) return answer(L"a system folder of Windows");
    const std::wstring parent = ParentKey(key);
    for (const std::wstring& root : set.userRoots)
      if (parent == root) return answer(L"a user profile folder");
  }
  if (why) why->clear();
  return false;
}

}  // namespace hv
