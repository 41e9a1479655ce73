#include "HvLXFileSearch.h"

#include "HvExceptions.h"
#include "HvLXExistence.h"
#include "HvLXExistenceChecks.h"
#include "HvLXFilePlatform.h"
#include "HvLXHost.h"
#include "HvLXPaths.h"
#include "HvLXVersion.h"
#include "HvStringList.h"

namespace hv {
namespace {

std::int64_t AsInt64(const FILETIME& time) {
  return (static_cast<std::int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The system's conversion applies the bias in force now to any time stamp, so one answer
// serves a whole listing; asking per entry costs as much as the listing itself under Wine.
std::int64_t CurrentLocalTimeOffset() {
  const FILETIME utc{0, 0x01000000};
  FILETIME local;
  if (!FileTimeToLocalFileTime(&utc, &local)) return 0;
  return AsInt64(local) - AsInt64(utc);
}

void FillFromFindData(TSearchRecLX& search) {
  const WIN32_FIND_DATAW& data = search.FindData;
  search.Name = data.cFileName;
  search.Attr = data.dwFileAttributes;
  search.Size = (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  const std::int64_t localTime = AsInt64(data.ftLastWriteTime) + search.LocalTimeOffset;
  const FILETIME local{static_cast<DWORD>(localTime), static_cast<DWORD>(localTime >> 32)};
  WORD date = 0, time = 0;
  search.Time = FileTimeToDosDateTime(&local, &date, &time) ? (static_cast<int>(date) << 16) | time : -1;
}

// Skips entries the attribute set excludes. 0 when an entry is current; otherwise the
// error code, with the handle closed so no failing level leaves it open.
int Position(TSearchRecLX& search) {
  while (search.FindData.dwFileAttributes & search.ExcludeAttr) {
    if (!FindNextFileW(search.FindHandle.get(), &search.FindData)) {
      const int code = static_cast<int>(GetLastError());
      FindCloseLX(search);
      return code;
    }
  }
  FillFromFindData(search);
  return 0;
}

bool NothingToList(int code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_NO_MORE_FILES;
}

// Windows refuses these as the first character of a name; Wine shows host folders whose
// names begin with one, and such a folder cannot be opened under the name it is listed as.
bool StartsWithForbiddenCharacter(const std::wstring& name) {
  return !name.empty() && std::wstring_view(L"\\/:*?\"<>|").find(name.front()) != std::wstring_view::npos;
}

void AddFilesOfTree(const std::wstring& folder, TStrings& list, const std::wstring& mask, bool recursive,
                    bool ignoreAccessDenied, IFlashCore* flash) {
  CheckDirectoryExists(folder, fmUser);
  const std::wstring dir = IncludeTrailingBackslashLX(folder);
  if (!DirExistsLX(dir, true)) return;

  TSearchRecLX search;
  std::wstring path;  // one buffer for every entry: the list keeps its own copy
  int result = FindFirstLX(dir + mask, kFindAnyFileButFolders, search, ignoreAccessDenied, false);
  while (result == 0) {
    if (flash) flash->CheckCancel();
    path.assign(dir).append(search.Name);
    list.Add(path);
    result = FindNextLX(search);
  }
  FindCloseLX(search);

  if (!recursive) return;
  THvStringList subFolders;
  ListFoldersLX(dir, subFolders, false, ignoreAccessDenied, flash);
  for (int i = 0; i < subFolders.Count(); ++i) {
    const std::wstring& sub = subFolders.Strings(i);
    if (DirExistsLX(sub, true)) AddFilesOfTree(sub, list, mask, recursive, ignoreAccessDenied, flash);
  }
}

}  // namespace

int FindFirstLX(const std::wstring& path, unsigned attributes, TSearchRecLX& search, bool ignoreAccessDenied,
                bool limitToDirectories) {
  FindCloseLX(search);
  const std::wstring longPath = LongFileName(path);
  search.ExcludeAttr = ~attributes & kFindExcludable;
  search.LocalTimeOffset = CurrentLocalTimeOffset();
  const FilePlatform& platform = CurrentFilePlatform();
  HANDLE handle;
  if (IsWine() || !IsWin10OrLater()) {
    handle = platform.FindFirstFileEx(longPath.c_str(), FindExInfoStandard, &search.FindData,
                                      FindExSearchNameMatch, 0);
  } else {
    // Short names are never read here, and fetching them is most of what a listing costs.
    handle = platform.FindFirstFileEx(longPath.c_str(), FindExInfoBasic, &search.FindData,
                                      limitToDirectories ? FindExSearchLimitToDirectories : FindExSearchNameMatch,
                                      FIND_FIRST_EX_LARGE_FETCH);
  }
  int result;
  if (handle == INVALID_HANDLE_VALUE) {
    result = static_cast<int>(GetLastError());
  } else {
    search.FindHandle.reset(handle);
    result = Position(search);
  }
  if (result == 0 || NothingToList(result) || (result == ERROR_ACCESS_DENIED && ignoreAccessDenied)) return result;

  EOSError error = MakeOSError(static_cast<std::uint32_t>(result));
  error.SetMessage(error.Message() + L"\r\n\r\nPath: " + path);
  throw error;
}

int FindNextLX(TSearchRecLX& search) {
  int result = ERROR_NO_MORE_FILES;
  if (search.FindHandle) {
    if (FindNextFileW(search.FindHandle.get(), &search.FindData)) {
      result = Position(search);
    } else {
      result = static_cast<int>(GetLastError());
      FindCloseLX(search);
    }
  }
  if (result != 0 && result != ERROR_NO_MORE_FILES) RaiseLastOSError(static_cast<std::uint32_t>(result));
  return result;
}

void FindCloseLX(TSearchRecLX& search) { search.FindHandle.reset(); }

bool IsRealFolder(const TSearchRecLX& search) {
  return (search.Attr & faDirectory) && search.Name != L"." && search.Name != L"..";
}

void FindFilesLX(const std::wstring& folder, TStrings& list, const std::wstring& mask, bool recursive,
                 bool ignoreAccessDenied, IFlashCore* flash) {
  TUpdateScope update(list);
  list.Clear();
  AddFilesOfTree(folder, list, mask, recursive, ignoreAccessDenied, flash);
}

void FindFoldersLX(const std::wstring& folder, TStrings& list, bool recursive, bool ignoreAccessDenied,
                   IFlashCore* flash) {
  CheckDirectoryExists(folder, fmUser);
  const std::wstring dir = IncludeTrailingBackslashLX(folder);
  if (!DirExistsLX(dir, true)) return;

  TSearchRecLX search;
  int result = FindFirstLX(dir + L"*.*", faDirectory, search, ignoreAccessDenied, false);
  while (result == 0) {
    if (flash) flash->CheckCancel();
    if (IsRealFolder(search) && !(IsWine() && StartsWithForbiddenCharacter(search.Name))) {
      const std::wstring path = dir + search.Name;
      list.Add(path);
      if (recursive && DirExistsLX(path, true)) FindFoldersLX(path, list, recursive, ignoreAccessDenied, flash);
    }
    result = FindNextLX(search);
  }
  FindCloseLX(search);
}

void ListFoldersLX(const std::wstring& folder, TStrings& list, bool recursive, bool ignoreAccessDenied,
                   IFlashCore* flash) {
  TUpdateScope update(list);
  list.Clear();
  FindFoldersLX(folder, list, recursive, ignoreAccessDenied, flash);
}

}  // namespace hv
