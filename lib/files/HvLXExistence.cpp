#include "HvLXExistence.h"

#include "HvExceptions.h"
#include "HvHandles.h"
#include "HvLXFilePlatform.h"
#include "HvLXPaths.h"
#include "HvLXSystemText.h"
#include "HvWindows.h"

namespace hv {
namespace {

constexpr DWORD kUnreadable = INVALID_FILE_ATTRIBUTES;

// Errors that say plainly that nothing is there; any other failure to read the attributes
// means something is there that we may not look at.
bool MeansAbsent(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME;
}

const wchar_t* BoolText(bool value) { return value ? L"True" : L"False"; }

// The attributes through the replaceable platform call, with the error it left behind.
DWORD ReadAttributes(const std::wstring& path, DWORD& error) {
  DWORD attrs = CurrentFilePlatform().GetAttributes(path.c_str());
  error = GetLastError();
  return attrs;
}

// A locked file still shows in a directory listing. Gives whether the listing has an entry
// and that entry's attributes.
bool FindEntry(const std::wstring& path, DWORD& attrs) {
  WIN32_FIND_DATAW data;
  UniqueFindHandle find(FindFirstFileW(path.c_str(), &data));
  if (!find) return false;
  attrs = data.dwFileAttributes;
  return true;
}

bool ExistsLockedOrShared(const std::wstring& path) {
  DWORD attrs = 0;
  return FindEntry(path, attrs) && !(attrs & faDirectory);
}

// Opens what `path` leads to for reading; false with the open's error as the last error.
bool ProbeOpen(const std::wstring& path, DWORD flags) {
  UniqueFileHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr));
  return file.valid();
}

bool FileExistsRule(const std::wstring& longPath, bool followLink) {
  DWORD error = 0;
  const DWORD attrs = ReadAttributes(longPath, error);
  if (attrs == kUnreadable) return !MeansAbsent(error) && ExistsLockedOrShared(longPath);
  if (!(attrs & faSymLink)) return !(attrs & faDirectory);
  if (!followLink) return true;
  if (attrs & faDirectory) return false;
  if (ProbeOpen(longPath, 0)) return true;
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

// The folder rule before the network and device correction.
bool DirExistsRule(const std::wstring& longPath, bool followLink) {
  DWORD error = 0;
  const DWORD attrs = ReadAttributes(longPath, error);
  if (attrs == kUnreadable) return !MeansAbsent(error);
  if (!(attrs & faSymLink)) return (attrs & faDirectory) != 0;
  if (followLink) return ProbeOpen(longPath, FILE_FLAG_BACKUP_SEMANTICS) && (attrs & faDirectory);
  if (attrs & faDirectory) return true;
  return !ProbeOpen(longPath, FILE_FLAG_BACKUP_SEMANTICS);
}

}  // namespace

bool IsReparsePoint(const std::wstring& path) {
  DWORD error = 0;
  const DWORD attrs = ReadAttributes(path, error);
  return attrs != kUnreadable && (attrs & faSymLink);
}

std::optional<std::wstring> FinalPathOfHandle(void* handle) {
  // Under Wine each call asks the server for the name, and link checks ask for every entry
  // of a tree: most names fit at the first call.
  std::wstring path = ReadSystemText(
      [handle](wchar_t* buffer, DWORD size) { return GetFinalPathNameByHandleW(handle, buffer, size, 0); },
      MAX_PATH + 1);
  if (path.empty()) return std::nullopt;
  return path;
}

bool GetFinalPathName(const std::wstring& path, std::wstring& finalPath) {
  UniqueFileHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return false;
  std::optional<std::wstring> found = FinalPathOfHandle(file.get());
  if (!found) return false;
  finalPath = std::move(*found);
  return true;
}

std::wstring LongFileName(const std::wstring& path, bool resolveLinks) {
  std::wstring result = LongFileName(path);
  if (resolveLinks && IsReparsePoint(result)) {
    std::wstring finalPath;
    if (GetFinalPathName(result, finalPath)) result = finalPath;
  }
  return result;
}

bool FileExistsLX(const std::wstring& path, bool followLink) {
  return FileExistsRule(LongFileName(path), followLink);
}

bool DirExistsLX(const std::wstring& path, bool followLink) {
  if (path.empty()) return false;
  try {
    SetLastError(0);
    const bool exists = DirExistsRule(LongFileName(path), followLink);
    if (!exists) return false;
    // An unreachable share or an empty drive can leave a "found" answer behind it.
    const DWORD error = GetLastError();
    return error != ERROR_BAD_NETPATH && error != ERROR_BAD_NET_NAME && error != ERROR_NOT_READY;
  } catch (Exception& e) {
    e.SetMessage(e.Message() + L"\r\n  " + path);
    throw;
  }
}

bool DirExistsUncheckedLX(const std::wstring& path, bool followLink) {
  return !path.empty() && DirExistsRule(LongFileName(path), followLink);
}

void FileExistsReport(const std::wstring& path, bool followLink, std::wstring& report) {
  const std::wstring longPath = LongFileName(path);
  report = L"FileName = [" + path + L"]\r\n";
  report += L"Long_FileName = [" + longPath + L"]\r\n";
  report += L"FollowLink = " + std::wstring(BoolText(followLink)) + L"\r\n";

  DWORD error = 0;
  const DWORD attrs = ReadAttributes(longPath, error);
  report += Fmt(L"Flags_1 = %.8x\r\n", attrs);

  if (attrs == kUnreadable) {
    report += Fmt(L"LastError = %.8x\r\n", error);
    bool result = false;
    if (!MeansAbsent(error)) {
      DWORD foundAttrs = 0;
      if (FindEntry(longPath, foundAttrs)) {
        result = !(foundAttrs & faDirectory);
        report += L"ExistsLockedOrShared :: LHandle <> INVALID_HANDLE_VALUE\r\n";
        report += Fmt(L"ExistsLockedOrShared :: FindData.dwFileAttributes = %.8x\r\n", foundAttrs);
      }
      report += L"ExistsLockedOrShared :: Result = " + std::wstring(BoolText(result)) + L"\r\n";
    }
    report += L"Final_Result = " + std::wstring(BoolText(result));
    return;
  }

  if (!(attrs & faSymLink)) {
    report += (attrs & faDirectory) ? L"Result = False (faDirectory and Flags <> 0)"
                                    : L"Result = True (faDirectory and Flags = 0)";
  } else if (!followLink) {
    report += L"Result = True (faSymLink and Flags <> 0)";
  } else if (attrs & faDirectory) {
    report += L"Result = False (faDirectory and Flags <> 0)";
  } else if (ProbeOpen(longPath, 0)) {
    report += L"Result = True (Handle <> INVALID_HANDLE_VALUE)";
  } else if (GetLastError() == ERROR_SHARING_VIOLATION) {
    report += L"Result = True (LastError = ERROR_SHARING_VIOLATION)";
  } else {
    report += L"Result = False (LastError <> ERROR_SHARING_VIOLATION)";
  }
}

}  // namespace hv
