#include "HvLXFileOps.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "HvExceptions.h"
#include "HvHandles.h"
#include "HvLXExistence.h"
#include "HvLXFilePlatform.h"
#include "HvLXLinks.h"
#include "HvLXPaths.h"

namespace hv {
namespace {

constexpr unsigned kReadOnly = FILE_ATTRIBUTE_READONLY;

// The runtime's file open modes: access in bits 0-1, sharing in bits 4-6.
DWORD AccessOfMode(unsigned mode) {
  switch (mode & 0x3) {
    case 0: return GENERIC_READ;
    case 1: return GENERIC_WRITE;
    default: return GENERIC_READ | GENERIC_WRITE;
  }
}

// Compatibility mode (0) shares nothing, as the runtime's own file calls do.
DWORD ShareOfMode(unsigned mode) {
  constexpr DWORD kShare[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
  const unsigned index = (mode & 0xF0) >> 4;
  return index < std::size(kShare) ? kShare[index] : 0;
}

TDateTime LocalDateTime(const FILETIME& utc) {
  // FILETIME counts 100 ns from 1601-01-01; the date-time counts days from 1899-12-30.
  constexpr double kTicksPerDay = 864000000000.0;
  constexpr double kDaysFrom1601To1899 = 109205.0;
  FILETIME local;
  if (!FileTimeToLocalFileTime(&utc, &local)) return 0;
  const ULONGLONG ticks = (static_cast<ULONGLONG>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
  return static_cast<double>(ticks) / kTicksPerDay - kDaysFrom1601To1899;
}

// Deleting a link that this system marks only by where it leads would delete its target.
bool RefuseUnsafeLink(const std::wstring& longPath) {
  if (ClassifyLink(longPath) != TLinkKind::UnremovableLink) return false;
  SetLastError(ERROR_NOT_SUPPORTED);
  return true;
}

bool ForceDirectoriesStep(const std::wstring& path) {
  std::wstring dir = ExcludeTrailingBackslashLX(LongFileName(path));
  if (dir.empty()) throw EHvGeneralError(L"Unable to create directory");
  if (dir.size() < 3) return true;
  if (DirExistsUncheckedLX(dir, true)) return true;
  const std::size_t sep = dir.find_last_of(L"\\:");
  const std::wstring parent = sep == std::wstring::npos ? std::wstring() : dir.substr(0, sep + 1);
  if (parent == dir) return true;
  if (!ForceDirectoriesStep(parent)) return false;
  // Another thread or process may create it in the meantime: that is no failure.
  return CreateDirectoryW(dir.c_str(), nullptr) ||
         (GetLastError() == ERROR_ALREADY_EXISTS && DirExistsUncheckedLX(dir, true));
}

// The system's own form of an absolute path, which a rename by handle needs.
std::wstring NtPath(const std::wstring& path) {
  if (path.starts_with(L"\\\\?\\")) return L"\\??\\" + path.substr(4);
  if (path.starts_with(L"\\\\")) return L"\\??\\UNC\\" + path.substr(2);
  return L"\\??\\" + path;
}

}  // namespace

int FileGetAttrLX(const std::wstring& path, bool followLink) {
  return static_cast<int>(CurrentFilePlatform().GetAttributes(LongFileName(path, followLink).c_str()));
}

int FileSetAttrLX(const std::wstring& path, int attrs, bool followLink) {
  if (SetFileAttributesW(LongFileName(path, followLink).c_str(), static_cast<DWORD>(attrs))) return 0;
  return static_cast<int>(GetLastError());
}

bool DeleteFileLX(const std::wstring& path) {
  const std::wstring longPath = LongFileName(path);
  if (RefuseUnsafeLink(longPath)) return false;
  if (DeleteFileW(longPath.c_str())) return true;
  const DWORD error = GetLastError();
  const DWORD attrs = CurrentFilePlatform().GetAttributes(longPath.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & faDirectory) && (attrs & faSymLink))
    return RemoveDirectoryW(longPath.c_str()) != 0;
  SetLastError(error);
  return false;
}

bool RemoveDirLX(const std::wstring& path) {
  const std::wstring longPath = LongFileName(path);
  if (RefuseUnsafeLink(longPath)) return false;
  return RemoveDirectoryW(longPath.c_str()) != 0;
}

HANDLE FileOpenLX(const std::wstring& path, unsigned mode) {
  return CreateFileW(LongFileName(path).c_str(), AccessOfMode(mode), ShareOfMode(mode), nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE FileCreateLX(const std::wstring& path, unsigned mode, unsigned rights) {
  return CreateFileW(LongFileName(path).c_str(), GENERIC_READ | GENERIC_WRITE, ShareOfMode(mode),
                     nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool RenameByHandle(HANDLE file, const std::wstring& target) {
  const std::wstring name = NtPath(target);
  std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = FALSE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
  std::copy(name.begin(), name.end(), rename->FileName);
  return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != 0;
}

bool FileGetDateTimeInfoLX(const std::wstring& path, TDateTimeInfoRec& info, bool followLink) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(LongFileName(path, followLink).c_str(), GetFileExInfoStandard, &data)) return false;
  info.TimeStamp = LocalDateTime(data.ftLastWriteTime);
  info.CreationTime = LocalDateTime(data.ftCreationTime);
  info.LastAccessTime = LocalDateTime(data.ftLastAccessTime);
  return true;
}

TDateTime GetFileTimeStampLX(const std::wstring& path, TFileTimeStampType kind) {
  TDateTimeInfoRec info;
  if (!FileGetDateTimeInfoLX(path, info, true)) RaiseLastOSError();
  switch (kind) {
    case ftstTimeStamp: return info.TimeStamp;
    case ftstCreationDateTime: return info.CreationTime;
    case ftstLastAccessDateTime: return info.LastAccessTime;
  }
  throw EHvInternalError(L"Internal Error: Unknown file time stamp type");
}

void ClearReadOnlyLX(const std::wstring& path) {
  try {
    if (!FileExistsLX(path, true) && !DirExistsLX(path, true)) return;
    const int attrs = FileGetAttrLX(path, true);
    if (attrs == -1) RaiseLastOSError();
    if (attrs & kReadOnly) {
      const int error = FileSetAttrLX(path, attrs & ~kReadOnly, true);
      if (error != 0) RaiseLastOSError(static_cast<std::uint32_t>(error));
    }
  } catch (const Exception& e) {
    throw Exception(Fmt(L"Could not remove read-only attribute from \"%s\"", path) + L"\r\n\r\n" + e.Message());
  }
}

void ForceDirectoriesLX(const std::wstring& path) {
  bool created = false;
  try {
    created = ForceDirectoriesStep(path);
  } catch (const Exception& e) {
    throw Exception(Fmt(L"Could not create \"%s\"", path) + L"\r\n\r\n" + e.Message());
  }
  if (!created) throw EHvGeneralError(Fmt(L"Could not create \"%s\"", path));
}

void DeleteFileStrictLX(const std::wstring& path) {
  if (DeleteFileLX(path)) return;
  try {
    ClearReadOnlyLX(path);
    if (!DeleteFileLX(path)) RaiseLastOSError();
  } catch (const Exception& e) {
    throw Exception(Fmt(L"Could not delete \"%s\"", path) + L"\r\n\r\n" + e.Message());
  }
}

void DeleteFileIfExistsLX(const std::wstring& path) {
  if (FileExistsLX(path, true)) DeleteFileStrictLX(path);
}

}  // namespace hv
