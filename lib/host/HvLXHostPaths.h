// The host's folders and the two ways between drive paths (Z:\tmp\x) and host paths (/tmp/x).
// Drive letters map through the links of the prefix's "dosdevices" folder and the user's
// special folders (Desktop, Documents, ...) through the links Wine makes into the host home
// folder, each resolved by the host shell once and kept. Under Wine only.
#pragma once

#include <string>

namespace hv {

// "~". Raises an internal error outside Wine or on Chrome OS (as do the next two).
std::wstring Wine_GetNativeHomeDir();
// WINEPREFIX, or the host home folder followed by "/.wine".
std::wstring Wine_GetNativeWinePrefixDir();
// TMPDIR, or "/tmp/".
std::wstring Wine_GetNativeTmpDir();
// The absolute host home folder as the shell finds it ("cd ~; pwd -P"); empty when the shell
// gives no single line.
std::wstring GetAbsHomePath();
// What GetAbsHomePath last answered in this process (empty when never asked).
std::wstring RememberedAbsHomePath();
// The absolute host home folder without a trailing "/", found once.
std::wstring GetHostHomeFolder();
// The user name of the running process.
std::wstring GetUserNameLX();

// A host path as a drive path: "~" becomes the host home folder, every "/" a "\", and a path
// that then starts with "\" gets "Z:". A path without "/" stays as it is (also on Chrome OS).
std::wstring Wine_ConvertNativePathToDos(const std::wstring& hostPath);
// A drive path as a host path. Raises an internal error for a path that is not fully
// qualified. With `escapeQuotes` every '"' gets a '\' in front.
std::wstring Wine_ConvertDosPathToNative(const std::wstring& drivePath, bool escapeQuotes = false);
// `hostPath` with a final symbolic link resolved (absolute); the path itself when it is no
// link or the shell cannot tell. A trailing "/" stays.
std::wstring ResolveHostLink(const std::wstring& hostPath);

// Test seam: within the scope every host path is resolved afresh (a start-up as the first
// program on a prefix sees it); the paths known before come back afterwards.
class ScopedFreshHostPaths {
 public:
  ScopedFreshHostPaths();
  ~ScopedFreshHostPaths();
  ScopedFreshHostPaths(const ScopedFreshHostPaths&) = delete;
  ScopedFreshHostPaths& operator=(const ScopedFreshHostPaths&) = delete;

 private:
  struct TSaved;
  TSaved* FSaved;
};

}  // namespace hv
