// Path text: the long form every file call goes through, and the small helpers on separators
// and names.
#pragma once

#include <string>

namespace hv {

// Paths longer than this get the "\\?\" form, so that CreateDirectoryW (whose own limit is
// MAX_PATH minus room for an 8.3 name) and the other file calls accept them.
inline constexpr std::size_t kLongPathThreshold = 248;

// The form of `path` that the file calls accept at any length: drive paths longer than
// kLongPathThreshold gain "\\?\", UNC paths "\\?\UNC\"; relative paths and those already in
// that form stay as they are. Text only: the form that also resolves links is the file
// layer's LongFileName(path, resolveLinks).
std::wstring LongFileName(const std::wstring& path);

// Absolute form of `path` (relative to the current folder); `path` itself when the system
// cannot expand it.
std::wstring ExpandFileNameLX(const std::wstring& path);

// `path` with one "\" appended unless it already ends in one ("" gives "\").
std::wstring IncludeTrailingBackslashLX(const std::wstring& path);
// `path` with one final "\" removed, if present (only one).
std::wstring ExcludeTrailingBackslashLX(const std::wstring& path);
// The file name after the last "\" or ":", without its extension (from its last ".").
std::wstring ExtractFileBaseName(const std::wstring& path);
// The file name part: everything after the last "\" or ":".
std::wstring ExtractFileName(const std::wstring& path);

}  // namespace hv
