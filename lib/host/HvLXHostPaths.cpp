#include "HvLXHostPaths.h"

#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvLXHost.h"
#include "HvLXHostScript.h"
#include "HvLXStrings.h"
#include "HvLXSystemText.h"
#include "HvWindows.h"
#include <shlobj.h>

namespace hv {
namespace {

// Paths of the host do not move while the program runs: each is resolved once. Worker threads
// convert paths too, so the caches are read and changed under gCachesLock only, which is never
// held while a path is resolved (that runs host scripts, whose runner converts paths itself).
struct THostPathCaches {
  std::wstring absHome;
  std::optional<std::wstring> home;
  std::map<wchar_t, std::wstring> drives;
  std::optional<std::vector<std::wstring>> specials;
  std::map<std::size_t, std::wstring> specialHosts;
};
THostPathCaches gCaches;
std::mutex gCachesLock;

// The kept value for `key` in `cache`, resolved with `resolve` when there is none yet.
template <class Key, class Resolve>
std::wstring Cached(std::map<Key, std::wstring> THostPathCaches::*cache, const Key& key, Resolve resolve) {
  {
    std::lock_guard guard(gCachesLock);
    auto found = (gCaches.*cache).find(key);
    if (found != (gCaches.*cache).end()) return found->second;
  }
  std::wstring value = resolve();
  std::lock_guard guard(gCachesLock);
  return (gCaches.*cache).emplace(key, std::move(value)).first->second;
}

void CheckWineNotChromeOS(const wchar_t* function) {
  HV_ASSERT(IsWine());
  if (IsChromeOS()) throw Exception(Fmt(L"Internal Error: %s() cannot be called on Chrome OS.", function));
}

// The one line the shell printed, trimmed; nothing for no line or several.
std::optional<std::wstring> SingleLine(const std::wstring& output) {
  const std::wstring trimmed = TrimLX(output);
  if (trimmed.empty() || trimmed.find_first_of(L"\r\n") != std::wstring::npos) return std::nullopt;
  return trimmed;
}

std::wstring Replace(std::wstring text, wchar_t from, wchar_t to) {
  for (wchar_t& c : text)
    if (c == from) c = to;
  return text;
}

std::wstring ParentHostFolder(const std::wstring& folder) {
  const std::size_t slash = folder.find_last_of(L'/');
  return slash == 0 || slash == std::wstring::npos ? L"/" : folder.substr(0, slash);
}

// Under Wine 8 the prefix's dosdevices folder holds "c:" -> "../drive_c" (10 characters) and
// "z:" -> "/". GetFinalPathNameByHandleW of "C:\\" answers "\\\\?\\C:\\", the drive form, so the
// host folder of a drive can only come from its link.
std::wstring HostFolderOfDrive(wchar_t letter) {
  if (letter == L'Z') return L"";
  const wchar_t lower = static_cast<wchar_t>(towlower(letter));
  return Cached(&THostPathCaches::drives, lower,
                [&] { return ResolveHostLink(Wine_GetNativeWinePrefixDir() + L"/dosdevices/" + lower + L":"); });
}

std::wstring PlainHostPath(const std::wstring& drivePath) {
  const std::wstring path = drivePath.starts_with(L"\\") ? L"Z:" + drivePath : drivePath;
  if (path.size() <= 2) throw Exception(Fmt(L"Internal Error: Expected dos path (%s) to be longer.", path));
  if (path[1] != L':' || (path[2] != L'\\' && path[2] != L'/'))
    throw Exception(Fmt(L"Internal Error: Expected dos path (%s) to be fully qualified.", path));
  return HostFolderOfDrive(path[0]) + Replace(path.substr(2), L'\\', L'/');
}

// Desktop, documents, pictures, videos and music: Wine links each into the host home folder.
std::vector<std::wstring> SpecialFolders() {
  {
    std::lock_guard guard(gCachesLock);
    if (gCaches.specials) return *gCaches.specials;
  }
  std::vector<std::wstring> folders;
  for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_MYPICTURES, CSIDL_MYVIDEO, CSIDL_MYMUSIC}) {
    wchar_t buffer[MAX_PATH + 1] = {};
    folders.push_back(SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE) ? buffer : L"");
  }
  std::lock_guard guard(gCachesLock);
  if (!gCaches.specials) gCaches.specials = std::move(folders);
  return *gCaches.specials;
}

bool IsInFolder(const std::wstring& path, const std::wstring& folder) {
  if (folder.empty() || path.size() < folder.size() || !SameTextLX(path.substr(0, folder.size()), folder)) return false;
  return path.size() == folder.size() || path[folder.size()] == L'\\' || path[folder.size()] == L'/';
}

}  // namespace

std::wstring Wine_GetNativeHomeDir() {
  CheckWineNotChromeOS(L"Wine_GetNativeHomeDir");
  return L"~";
}

std::wstring Wine_GetNativeWinePrefixDir() {
  CheckWineNotChromeOS(L"Wine_GetNativeWinePrefixDir");
  const std::wstring prefix = GetEnvironmentValue(L"WINEPREFIX");
  // Wine's own default prefix; "~" would reach the shell quoted, where it means nothing.
  return prefix.empty() ? GetHostHomeFolder() + L"/.wine" : prefix;
}

std::wstring Wine_GetNativeTmpDir() {
  CheckWineNotChromeOS(L"Wine_GetNativeTmpDir");
  const std::wstring tmp = GetEnvironmentValue(L"TMPDIR");
  return tmp.empty() ? L"/tmp/" : tmp;
}

std::wstring GetAbsHomePath() {
  std::wstring home = Wine_GetNativeHomeDir();
  if (home.starts_with(L"~")) {
    // "~" stays outside the quotes: it is the one thing here the shell must expand.
    const std::wstring rest = home.substr(1);
    const std::wstring script = L"cd ~" + (rest.empty() ? L"" : HostShellWord(rest)) + L"\npwd -P";
    if (std::optional<std::wstring> line = SingleLine(Wine_RunScript(L"GetAbsHomePath", script))) home = *line;
  }
  std::lock_guard guard(gCachesLock);
  gCaches.absHome = home;
  return home;
}

std::wstring RememberedAbsHomePath() {
  std::lock_guard guard(gCachesLock);
  return gCaches.absHome;
}

std::wstring GetHostHomeFolder() {
  {
    std::lock_guard guard(gCachesLock);
    if (gCaches.home) return *gCaches.home;
  }
  std::wstring home = GetAbsHomePath();
  if (!home.starts_with(L"/")) home = L"/Users/" + GetUserNameLX();
  if (home.ends_with(L"/")) home.pop_back();
  std::lock_guard guard(gCachesLock);
  if (!gCaches.home) gCaches.home = home;
  return *gCaches.home;
}

std::wstring GetUserNameLX() {
  std::wstring name(256, L'\0');
  DWORD size = static_cast<DWORD>(name.size());
  if (!GetUserNameW(name.data(), &size)) return {};
  name.resize(size > 0 ? size - 1 : 0);
  return name;
}

std::wstring Wine_ConvertNativePathToDos(const std::wstring& hostPath) {
  if (IsChromeOS()) return hostPath;
  std::wstring path = hostPath;
  if (path.starts_with(L"~")) path = GetHostHomeFolder() + path.substr(1);
  if (path.find(L'/') == std::wstring::npos) return path;
  path = Replace(path, L'/', L'\\');
  if (path.starts_with(L"\\")) path = L"Z:" + path;
  return path;
}

std::wstring Wine_ConvertDosPathToNative(const std::wstring& drivePath, bool escapeQuotes) {
  if (!IsWine()) throw EAssertionFailed(L"Internal Error: Wine_ConvertDosPathToNative can only be used under WINE.");
  if (IsChromeOS() || drivePath.empty()) return drivePath;
  // The long form names the same place; the drive form is what maps to the host.
  const std::wstring dosPath = drivePath.starts_with(L"\\\\?\\") && !drivePath.starts_with(L"\\\\?\\UNC\\")
                                   ? drivePath.substr(4)
                                   : drivePath;
  std::wstring path;
  const std::vector<std::wstring> specials = SpecialFolders();
  std::size_t index = 0;
  while (index < specials.size() && !IsInFolder(dosPath, specials[index])) ++index;
  if (index == specials.size()) {
    path = PlainHostPath(dosPath);
  } else {
    const std::wstring host = Cached(&THostPathCaches::specialHosts, index,
                                     [&] { return ResolveHostLink(PlainHostPath(specials[index])); });
    path = Replace(host + dosPath.substr(specials[index].size()), L'\\', L'/');
  }
  if (!escapeQuotes) return path;
  std::wstring escaped;
  for (wchar_t c : path) escaped += c == L'"' ? std::wstring(L"\\\"") : std::wstring(1, c);
  return escaped;
}

std::wstring ResolveHostLink(const std::wstring& hostPath) {
  if (hostPath.size() <= 2 || !hostPath.starts_with(L"/") || hostPath.find(L"//") != std::wstring::npos)
    return hostPath;
  const bool trailingSlash = hostPath.ends_with(L"/");
  const std::wstring path = trailingSlash ? hostPath.substr(0, hostPath.size() - 1) : hostPath;
  const std::size_t slash = path.find_last_of(L'/');
  const std::wstring folder = slash == 0 ? L"/" : path.substr(0, slash);
  const std::wstring name = path.substr(slash + 1);
  if (name.empty()) return hostPath;
  // readlink prints the target as it is stored, whatever characters it holds; "file -h"
  // would escape some and is not installed everywhere.
  const std::optional<std::wstring> target = SingleLine(Wine_RunScript(
      L"GetSymbolicLink", L"cd -- " + HostShellWord(folder) + L" && test -L " + HostShellWord(name) +
                              L" && readlink -- " + HostShellWord(name)));
  if (!target) return hostPath;
  std::wstring resolved = *target;
  if (resolved.size() == 10 && resolved.starts_with(L"../drive_")) {
    resolved = ParentHostFolder(folder) + resolved.substr(2);
  } else if (!resolved.starts_with(L"/")) {
    const std::optional<std::wstring> absolute = SingleLine(Wine_RunScript(
        L"GetAbsPath", L"cd -- " + HostShellWord(folder) + L" && cd -- " + HostShellWord(resolved) + L" && pwd -P"));
    if (absolute) resolved = *absolute;
  }
  if (!resolved.starts_with(L"/")) return hostPath;
  return trailingSlash ? resolved + L"/" : resolved;
}

struct ScopedFreshHostPaths::TSaved {
  THostPathCaches caches;
};

ScopedFreshHostPaths::ScopedFreshHostPaths() : FSaved(new TSaved) {
  std::lock_guard guard(gCachesLock);
  FSaved->caches = std::exchange(gCaches, {});
}

ScopedFreshHostPaths::~ScopedFreshHostPaths() {
  {
    std::lock_guard guard(gCachesLock);
    gCaches = std::move(FSaved->caches);
  }
  delete FSaved;
}

}  // namespace hv
