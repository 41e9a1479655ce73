#include "HvLXProtectedFolders.h"

#include <algorithm>
#include <optional>
#include <set>
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

// A file or folder as the system knows it whatever name leads to it (another drive letter for
// the same volume, a link, a network spelling of a local folder).
struct TFileId {
  DWORD volume = 0, high = 0, low = 0;
  bool operator==(const TFileId&) const = default;
};

std::optional<TFileId> FileIdOf(const std::wstring& key) {
  const std::wstring path = key.size() == 2 && key[1] == L':' ? key + L"\\" : key;
  UniqueFileHandle file(CreateFileW(LongFileName(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
  return TFileId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// The folders every profile keeps, relative to the profile folder (upper case, as keys are).
constexpr const wchar_t* kProfileFolders[] = {
    L"DESKTOP", L"DOCUMENTS", L"MY DOCUMENTS", L"DOWNLOADS", L"PICTURES", L"MUSIC", L"VIDEOS", L"FAVORITES",
    L"LINKS", L"CONTACTS", L"SAVED GAMES", L"SEARCHES", L"TEMPLATES", L"ONEDRIVE", L"APPDATA", L"APPDATA\\LOCAL",
    L"APPDATA\\ROAMING", L"APPDATA\\LOCALLOW"};

// The Windows folder's own folders that belong to every program, not to the system.
constexpr const wchar_t* kWindowsTempFolders[] = {L"Temp", L"SystemTemp"};

struct TProtectedSet {
  std::vector<TProtected> folders;
  std::vector<std::wstring> systemTrees;  // keys of trees the system keeps, with everything below
  std::vector<std::wstring> exemptTrees;  // keys of trees inside those that are not the system's
  std::vector<std::wstring> userRoots;  // keys of the Users folder: profiles live directly inside
  // The same by identity: a protected folder, a folder that holds one, the trees.
  std::vector<std::pair<TFileId, std::wstring>> folderIds, holderIds;
  std::vector<TFileId> systemTreeIds, windowsIds, userRootIds;

  void Add(const std::wstring& path, const std::wstring& what) {
    for (const std::wstring& key : Keys(path)) {
      folders.push_back({key, what});
      if (const std::optional<TFileId> id = FileIdOf(key)) folderIds.push_back({*id, what});
      for (std::wstring parent = ParentKey(key); !parent.empty(); parent = ParentKey(parent)) {
        // Most folders share their ancestors: each is opened once, and said to hold the first
        // folder found below it (what a refusal names).
        if (!holderKeys.insert(parent).second) continue;
        if (const std::optional<TFileId> id = FileIdOf(parent)) holderIds.push_back({*id, what});
      }
    }
  }
  std::set<std::wstring> holderKeys;
  void AddTree(const std::wstring& path, std::vector<std::wstring>& keys, std::vector<TFileId>& ids) {
    if (path.empty()) return;
    for (const std::wstring& key : Keys(path)) {
      keys.push_back(key);
      if (const std::optional<TFileId> id = FileIdOf(key)) ids.push_back(*id);
    }
  }
};

// Profiles the system lists outside the Users folder too.
std::vector<std::wstring> ListedProfileFolders() {
  std::vector<std::wstring> profiles;
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", 0,
                    KEY_READ | KEY_WOW64_64KEY, &raw) != ERROR_SUCCESS)
    return profiles;
  const UniqueHKey list(raw);
  std::vector<wchar_t> name(256);
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    if (RegEnumKeyExW(list.get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    std::vector<wchar_t> value(MAX_PATH * 2);
    DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t)), type = 0;
    if (RegGetValueW(list.get(), name.data(), L"ProfileImagePath", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, &type,
                     value.data(), &size) != ERROR_SUCCESS)
      continue;
    profiles.push_back(value.data());
  }
  return profiles;
}

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
  for (const KNOWNFOLDERID* common : {&FOLDERID_ProgramFilesCommon, &FOLDERID_ProgramFilesCommonX86, &FOLDERID_ProgramFilesCommonX64})
    set.Add(KnownFolder(*common), L"a Common Files folder");
  // A 32-bit process learns the 64-bit Program Files only from the environment.
  set.Add(EnvironmentFolder(L"ProgramW6432"), L"a Program Files folder");
  for (const wchar_t* common : {L"CommonProgramFiles", L"CommonProgramFiles(x86)", L"CommonProgramW6432"})
    set.Add(EnvironmentFolder(common), L"a Common Files folder");
  set.Add(EnvironmentFolder(L"USERPROFILE"), L"the user's profile folder");
  for (const std::wstring& key : Keys(KnownFolder(FOLDERID_UserProfiles))) set.userRoots.push_back(key);
  for (const std::wstring& key : Keys(KnownFolder(FOLDERID_Profile))) {
    const std::wstring parent = ParentKey(key);
    if (!parent.empty()) set.userRoots.push_back(parent);
  }
  for (const std::wstring& root : set.userRoots) {
    set.folders.push_back({root, L"the Users folder"});
    if (const std::optional<TFileId> id = FileIdOf(root)) set.userRootIds.push_back(*id);
  }
  // Every profile's own folders, not only the running account's: the program may run as
  // another administrator or as the system.
  for (const std::wstring& profile : ListedProfileFolders()) {
    // Profiles in a Users folder are covered by the rules for what lies there.
    const std::wstring parent = ParentKey(Upper(StripLongPrefix(ExpandFileNameLX(profile))));
    if (std::find(set.userRoots.begin(), set.userRoots.end(), parent) != set.userRoots.end()) continue;
    set.Add(profile, L"a user profile folder");
    for (const wchar_t* folder : kProfileFolders) set.Add(profile + L"\\" + folder, L"a user's own folder");
  }
  if (IsWine() && !IsChromeOS()) AddHostSharedFolders(set);
  // The Windows folder with everything below it but its temporary folders, which are every
  // program's; the system's recovery tools.
  for (const std::wstring& windows : {SystemFolder(GetWindowsDirectoryW), SystemFolder(GetSystemWindowsDirectoryW)}) {
    if (windows.empty()) continue;
    set.AddTree(windows, set.systemTrees, set.systemTreeIds);
    for (const std::wstring& key : Keys(windows))
      if (const std::optional<TFileId> id = FileIdOf(key)) set.windowsIds.push_back(*id);
    for (const wchar_t* temp : kWindowsTempFolders)
      for (const std::wstring& key : Keys(windows + L"\\" + temp)) set.exemptTrees.push_back(key);
    set.AddTree(windows.substr(0, 2) + L"\\Recovery", set.systemTrees, set.systemTreeIds);
  }
  set.AddTree(SystemFolder(GetSystemDirectoryW), set.systemTrees, set.systemTreeIds);
  set.AddTree(SystemFolder(GetSystemWow64DirectoryW), set.systemTrees, set.systemTreeIds);
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

bool IsAtOrBelowKey(const std::wstring& tree, const std::wstring& key) { return key == tree || IsAncestorKey(tree, key); }

// Why `rest` (what follows a Users folder, upper case) names a profile or one of its own
// folders; empty when it does not.
std::wstring ProfilePart(const std::wstring& rest) {
  const std::size_t sep = rest.find(L'\\');
  if (rest.empty()) return {};
  if (sep == std::wstring::npos) return L"a user profile folder";
  const std::wstring inside = rest.substr(sep + 1);
  for (const wchar_t* folder : kProfileFolders)
    if (inside == folder) return L"a user's own folder";
  return {};
}

bool IsLoopbackServer(const std::wstring& server) {
  const std::wstring name = Upper(server);
  if (name == L"LOCALHOST" || name == L"::1" || name == L"[::1]" || name == L"0--1.IPV6-LITERAL.NET") return true;
  if (name.starts_with(L"127.") && name.find_first_not_of(L"0123456789.") == std::wstring::npos) return true;
  for (COMPUTER_NAME_FORMAT format : {ComputerNameNetBIOS, ComputerNameDnsHostname, ComputerNameDnsFullyQualified}) {
    const std::wstring own = AskSizeThenRead([&](wchar_t* buffer, DWORD size) -> DWORD {
      DWORD length = size;
      if (GetComputerNameExW(format, buffer, &length)) return length;
      return buffer ? 0 : length;
    });
    if (!own.empty() && Upper(own) == name) return true;
  }
  return false;
}

// What a network spelling of this computer's own folders means: "\\localhost\C$\x" (or
// 127.0.0.1, ::1, the computer's names, in the "\\?\UNC\" form too) is "C:\x". `local` is
// empty for another share of this computer, whose folder cannot be told.
bool LoopbackPath(const std::wstring& path, std::wstring& local) {
  std::wstring rest;
  if (path.starts_with(L"\\\\?\\UNC\\"))
    rest = path.substr(8);
  else if (path.size() > 2 && (path[0] == L'\\' || path[0] == L'/') && (path[1] == L'\\' || path[1] == L'/'))
    rest = path.substr(2);
  else
    return false;
  for (wchar_t& c : rest)
    if (c == L'/') c = L'\\';
  const std::size_t serverEnd = rest.find(L'\\');
  if (!IsLoopbackServer(rest.substr(0, serverEnd))) return false;
  local.clear();
  if (serverEnd == std::wstring::npos) return true;
  const std::size_t shareEnd = rest.find(L'\\', serverEnd + 1);
  const std::wstring share = rest.substr(serverEnd + 1, shareEnd == std::wstring::npos ? std::wstring::npos : shareEnd - serverEnd - 1);
  if (share.size() == 2 && iswalpha(share[0]) && share[1] == L'$')
    local = share.substr(0, 1) + L":\\" + (shareEnd == std::wstring::npos ? std::wstring() : rest.substr(shareEnd + 1));
  return true;
}

// The checks on the comparison forms of a path; empty when none holds.
std::wstring ProtectedByName(const std::wstring& path) {
  const TProtectedSet& set = ProtectedSet();
  for (const std::wstring& key : Keys(path)) {
    if (IsRootKey(key)) return key.starts_with(L"\\\\") ? L"a share root" : L"a drive root";
    for (const TProtected& folder : set.folders) {
      if (key == folder.key) return folder.what;
      if (IsAncestorKey(key, folder.key)) return L"a folder that holds " + folder.what;
    }
    bool exempt = false;
    for (const std::wstring& tree : set.exemptTrees) exempt = exempt || IsAtOrBelowKey(tree, key);
    for (const std::wstring& tree : set.systemTrees)
      if (!exempt && IsAtOrBelowKey(tree, key)) return L"a system folder of Windows";
    for (const std::wstring& root : set.userRoots)
      if (IsAncestorKey(root, key))
        if (std::wstring why = ProfilePart(key.substr(root.size() + 1)); !why.empty()) return why;
  }
  return {};
}

// The same checks by identity, for names the comparison forms cannot see through: another
// drive letter for the same volume, a share of this computer. Every folder on the way up is
// compared as what it is.
std::wstring ProtectedByIdentity(const std::wstring& path) {
  const TProtectedSet& set = ProtectedSet();
  auto has = [](const std::vector<TFileId>& ids, const TFileId& id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
  };
  std::wstring key = Upper(StripLongPrefix(ExpandFileNameLX(path)));
  std::wstring below;  // what follows `key` in the path, upper case
  bool exempt = false;
  for (; !key.empty(); key = ParentKey(key)) {
    if (const std::optional<TFileId> id = FileIdOf(key)) {
      if (below.empty()) {
        for (const auto& [folder, what] : set.folderIds)
          if (folder == *id) return what;
        for (const auto& [holder, what] : set.holderIds)
          if (holder == *id) return L"a folder that holds " + what;
      }
      if (has(set.windowsIds, *id)) {
        const std::wstring first = below.substr(0, below.find(L'\\'));
        for (const wchar_t* temp : kWindowsTempFolders) exempt = exempt || first == Upper(temp);
      }
      if (!exempt && has(set.systemTreeIds, *id)) return L"a system folder of Windows";
      if (has(set.userRootIds, *id))
        if (std::wstring why = ProfilePart(below); !why.empty()) return why;
    }
    const std::size_t sep = key.find_last_of(L'\\');
    if (sep == std::wstring::npos) break;
    below = below.empty() ? key.substr(sep + 1) : key.substr(sep + 1) + L"\\" + below;
  }
  return {};
}

}  // namespace

bool IsProtectedFolder(const std::wstring& path, std::wstring* why) {
  auto answer = [&](const std::wstring& reason) {
    if (why) *why = reason;
    return !reason.empty();
  };
  if (const std::wstring form = NotFullyQualified(path); !form.empty()) return answer(form);
  std::wstring local;
  if (LoopbackPath(path, local)) {
    if (local.empty()) return answer(L"a share of this computer, whose folder cannot be told");
    if (const std::wstring reason = ProtectedByName(local); !reason.empty()) return answer(reason);
    return answer(ProtectedByIdentity(local));
  }
  if (const std::wstring reason = ProtectedByName(path); !reason.empty()) return answer(reason);
  return answer(ProtectedByIdentity(path));
}

std::wstring WhyNotLocalFixedFolder(const std::wstring& path) {
  if (const std::wstring form = NotFullyQualified(path); !form.empty()) return form;
  std::wstring local = StripLongPrefix(path);
  if (local.size() < 2 || local[1] != L':') return L"not on a local drive (a network path)";
  const std::wstring drive = Upper(local.substr(0, 2));
  if (GetDriveTypeW((drive + L"\\").c_str()) != DRIVE_FIXED) return L"not on a local fixed drive";
  // A substituted drive letter stands for a folder of another drive.
  std::wstring target;
  for (std::vector<wchar_t> buffer(1024);; buffer.resize(buffer.size() * 2)) {
    if (QueryDosDeviceW(drive.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()))) {
      target = buffer.data();
      break;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || buffer.size() > 65536) break;
  }
  if (target.starts_with(L"\\??\\")) return L"on a substituted drive letter";
  return {};
}

}  // namespace hv
