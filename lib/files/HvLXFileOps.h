// The plain file operations, each on the long form of its path, and the few compound ones
// (read-only clearing, creating a folder chain, strict deletion) that raise on failure.
#pragma once

#include <cstdint>
#include <string>

#include "HvWindows.h"

namespace hv {

// Days since 1899-12-30, the fraction being the time of day (the runtime's date-time).
using TDateTime = double;

struct TDateTimeInfoRec {
  TDateTime TimeStamp = 0;  // last write
  TDateTime CreationTime = 0;
  TDateTime LastAccessTime = 0;
};

enum TFileTimeStampType { ftstTimeStamp, ftstCreationDateTime, ftstLastAccessDateTime };

// Attribute word of the path itself (a link is resolved first only with `followLink`);
// -1 when unreadable, with the reason as the last error.
int FileGetAttrLX(const std::wstring& path, bool followLink);
// 0 on success, else the system error code.
int FileSetAttrLX(const std::wstring& path, int attrs, bool followLink);
// Deletes a file (or a link to a folder). On failure the last error is that of the file
// deletion. A link that this system can only delete by deleting what it points to is
// refused with ERROR_NOT_SUPPORTED.
bool DeleteFileLX(const std::wstring& path);
// Removes an empty folder; a link is refused as in DeleteFileLX.
bool RemoveDirLX(const std::wstring& path);
// Opens an existing file; `mode` holds the runtime's fmOpen*/fmShare* bits. Returns the
// invalid handle on failure.
HANDLE FileOpenLX(const std::wstring& path, unsigned mode);
// Creates or truncates a file for reading and writing; `rights` is passed on unread.
HANDLE FileCreateLX(const std::wstring& path, unsigned mode, unsigned rights);
// Renames (or moves, within one volume) what `file` refers to, to the absolute path `target`,
// never replacing an existing entry. The handle needs DELETE access. Renaming the very handle
// a caller has checked leaves no moment in which another entry could take the name. False,
// with the last error set, on failure.
bool RenameByHandle(HANDLE file, const std::wstring& target);
bool FileGetDateTimeInfoLX(const std::wstring& path, TDateTimeInfoRec& info, bool followLink);
// Raises EOSError when the times cannot be read.
TDateTime GetFileTimeStampLX(const std::wstring& path, TFileTimeStampType kind);

// Removes the read-only attribute of a file or folder that has it; raises Exception
// "Could not remove read-only attribute from ..." when it cannot.
void ClearReadOnlyLX(const std::wstring& path);
// Creates a folder and its missing parents; raises when it cannot.
void ForceDirectoriesLX(const std::wstring& path);
// Deletes a file, read-only or not; raises Exception "Could not delete ..." when it cannot.
void DeleteFileStrictLX(const std::wstring& path);
void DeleteFileIfExistsLX(const std::wstring& path);

}  // namespace hv
