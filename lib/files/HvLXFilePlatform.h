// The few platform calls of the file layer whose results the real system will not produce on
// demand (a share that vanished, an empty drive, a refused shell operation, no special
// folder, a listing refused to an administrator, a real symbolic link under Wine). Everything else in the file layer calls
// Win32 directly; a test replaces one of these through ScopedFilePlatform to reach the
// branch it needs.
#pragma once

#include <functional>
#include <string>

#include "HvWindows.h"
#include <shellapi.h>

namespace hv {

struct FilePlatform {
  // GetFileAttributesW: the attribute word, or INVALID_FILE_ATTRIBUTES with the last error set.
  std::function<DWORD(const wchar_t* path)> GetAttributes;
  // SHFileOperationW: its result; may set op->fAnyOperationsAborted.
  std::function<int(SHFILEOPSTRUCTW* op)> ShellFileOperation;
  // SHGetSpecialFolderPathW without creation into a buffer of MAX_PATH characters.
  std::function<BOOL(HWND owner, wchar_t* buffer, int csidl)> GetSpecialFolderPath;
  // FindFirstFileExW: the find handle, or INVALID_HANDLE_VALUE with the last error set.
  std::function<HANDLE(const wchar_t* path, FINDEX_INFO_LEVELS level, WIN32_FIND_DATAW* data,
                       FINDEX_SEARCH_OPS search, DWORD flags)>
      FindFirstFileEx;
  // Adjusts an entry as a listing of the link checks shows it; the real call leaves it as it is.
  // Wine 8 makes no real symbolic link or junction (CreateSymbolicLinkW does nothing and
  // FSCTL_SET_REPARSE_POINT is not supported), so a test marks an entry as one here.
  std::function<void(const std::wstring& path, WIN32_FIND_DATAW& data)> AdjustListedEntry;
};

// The table in force: the real calls unless a test has replaced some.
const FilePlatform& CurrentFilePlatform();
// The real calls.
FilePlatform RealFilePlatform();

// Replaces the calls that are set in `replacement` until the scope ends; the others stay.
class ScopedFilePlatform {
 public:
  explicit ScopedFilePlatform(const FilePlatform& replacement);
  ~ScopedFilePlatform();
  ScopedFilePlatform(const ScopedFilePlatform&) = delete;
  ScopedFilePlatform& operator=(const ScopedFilePlatform&) = delete;

 private:
  FilePlatform FSaved;
};

}  // namespace hv
