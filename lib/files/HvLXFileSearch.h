// Listing files and folders into a string list: files matching a mask, sub-folders, either
// level or the whole tree. A progress context may be passed in; it is polled for
// cancellation once for every entry the system reports.
#pragma once

#include <cstdint>
#include <string>

#include "HvHandles.h"
#include "HvLXFlashCore.h"
#include "HvStrings.h"
#include "HvWindows.h"

namespace hv {

// Attribute sets to ask for. Only hidden, system and directory can be excluded: an entry
// carrying one of them that was not asked for is skipped by the enumeration itself.
inline constexpr unsigned faHidden = 0x02;
inline constexpr unsigned faSysFile = 0x04;
inline constexpr unsigned faAnyFile = 0x1FF;
inline constexpr unsigned kFindExcludable = faHidden | faSysFile | 0x10;
// Every file, hidden and system ones included, but no folders.
inline constexpr unsigned kFindAnyFileButFolders = 0x1EF;

// One open enumeration. Name and Attr describe the current entry; Size and Time (last write,
// local DOS date-time) are filled too.
struct TSearchRecLX {
  std::wstring Name;
  unsigned Attr = 0;
  std::int64_t Size = 0;
  int Time = 0;
  unsigned ExcludeAttr = 0;
  // Local time minus UTC in file-time units, asked once per enumeration.
  std::int64_t LocalTimeOffset = 0;
  UniqueFindHandle FindHandle;
  WIN32_FIND_DATAW FindData{};
};

// Opens an enumeration of `path` (a folder followed by a mask) positioned on the first entry
// that the attribute set lets through. Returns 0, or ERROR_FILE_NOT_FOUND,
// ERROR_PATH_NOT_FOUND or ERROR_NO_MORE_FILES when there is nothing to list (and
// ERROR_ACCESS_DENIED with `ignoreAccessDenied`), the handle closed. Raises EOSError,
// naming `path`, for any other failure.
int FindFirstLX(const std::wstring& path, unsigned attributes, TSearchRecLX& search, bool ignoreAccessDenied,
                bool limitToDirectories);
// Moves to the next entry the attribute set lets through: 0, or ERROR_NO_MORE_FILES with the
// handle closed. Raises EOSError for any other failure.
int FindNextLX(TSearchRecLX& search);
// Harmless on a record that is already closed.
void FindCloseLX(TSearchRecLX& search);
// A folder other than "." and "..".
bool IsRealFolder(const TSearchRecLX& search);

// Clears `list`, then adds the full paths of the files in `folder` that match `mask`
// (hidden and system files included); with `recursive`, a folder's own files come before
// those of each sub-folder tree. Raises when `folder` does not exist. On any failure, the
// entries found before it stay in `list`.
void FindFilesLX(const std::wstring& folder, TStrings& list, const std::wstring& mask, bool recursive,
                 bool ignoreAccessDenied, IFlashCore* flash = nullptr);
// Adds, without clearing `list`, the full paths (no trailing backslash) of the sub-folders
// of `folder` that are neither hidden nor system; with `recursive`, each folder is followed
// by the folders below it.
void FindFoldersLX(const std::wstring& folder, TStrings& list, bool recursive, bool ignoreAccessDenied,
                   IFlashCore* flash = nullptr);
// Clears `list`, then FindFoldersLX.
void ListFoldersLX(const std::wstring& folder, TStrings& list, bool recursive, bool ignoreAccessDenied,
                   IFlashCore* flash = nullptr);

}  // namespace hv
