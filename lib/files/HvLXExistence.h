// Whether a file or folder exists, with fixed rules for links, locked files and unreachable
// network locations. None of these raise for a missing, unreadable or unreachable path.
#pragma once

#include <optional>
#include <string>

namespace hv {

inline constexpr unsigned faDirectory = 0x10;
inline constexpr unsigned faSymLink = 0x400;

// True when the attributes of `path` can be read and mark a reparse point.
bool IsReparsePoint(const std::wstring& path);
// The final path the system gives for an open file or folder (links resolved, "\\?\" form),
// at whatever length it has. Nothing when the system gives no name (Wine gives none past
// MAX_PATH characters).
std::optional<std::wstring> FinalPathOfHandle(void* handle);
// The final path the system gives for `path` (links resolved, "\\?\" form). False, with
// `finalPath` untouched, when the path cannot be opened or the system gives no name.
bool GetFinalPathName(const std::wstring& path, std::wstring& finalPath);
// The long form of `path` (the text-only LongFileName(path)); with `resolveLinks`, a reparse
// point is replaced by the final path it leads to (when the system can name it).
std::wstring LongFileName(const std::wstring& path, bool resolveLinks);

// A file (not a folder) exists at `path`. A file that is locked or unreadable exists when a
// directory listing still shows it; with `followLink`, a link exists only when what it leads
// to can be opened (or is merely held open by someone else).
bool FileExistsLX(const std::wstring& path, bool followLink);
// A folder exists at `path`. A folder on a share that is not reachable, or on a drive with no
// medium, does not exist; one that is merely unreadable does.
bool DirExistsLX(const std::wstring& path, bool followLink);
// DirExistsLX without the share and drive correction, for callers that will learn of an
// unreachable location from their next call anyway.
bool DirExistsUncheckedLX(const std::wstring& path, bool followLink);

// Sets `report` to a line-by-line account of how FileExistsLX decides for `path`; used as
// the extra information of errors about a missing file.
void FileExistsReport(const std::wstring& path, bool followLink, std::wstring& report);

}  // namespace hv
