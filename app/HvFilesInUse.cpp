#include "HvFilesInUse.h"

#include "HvExceptions.h"
#include "HvHandles.h"
#include "HvLXFileSearch.h"
#include "HvLXFiles.h"
#include "HvLXPaths.h"

namespace hv {
namespace {

void Walk(const std::wstring& folder, bool askRestartManager, std::vector<TEntryInUse>& found) {
  std::vector<std::wstring> folders;
  TSearchRecLX search;
  int result = FindFirstLX(IncludeTrailingBackslashLX(folder) + L"*", faAnyFile, search, true, false);
  while (result == 0) {
    const std::wstring path = IncludeTrailingBackslashLX(folder) + search.Name;
    if (search.Name != L"." && search.Name != L".." && !(search.Attr & FILE_ATTRIBUTE_REPARSE_POINT)) {
      if (search.Attr & FILE_ATTRIBUTE_DIRECTORY) {
        folders.push_back(path);
      } else if (IsHeldOpen(path)) {
        // Under Wine a link to a file looks like a file: what holds its target does not hold it.
        if (!IsLinkPath(path)) found.push_back({path, false, FileHolders(path)});
      } else if (askRestartManager) {
        std::vector<TFileHolder> holders = FileHolders(path);
        if (!holders.empty()) found.push_back({path, false, std::move(holders)});
      }
    }
    result = FindNextLX(search);
  }
  FindCloseLX(search);
  for (const std::wstring& sub : folders) {
    if (IsHeldOpen(sub) && !IsLinkPath(sub)) found.push_back({sub, true, {}});
    Walk(sub, askRestartManager, found);
  }
}

}  // namespace

bool IsHeldOpen(const std::wstring& path) {
  const UniqueFileHandle handle(CreateFileW(LongFileName(path).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                            nullptr));
  return !handle && GetLastError() == ERROR_SHARING_VIOLATION;
}

std::vector<TEntryInUse> FindEntriesInUse(const std::wstring& root, bool askRestartManager) {
  std::vector<TEntryInUse> found;
  if (!DirExistsLX(root, true) || IsLinkPath(root)) return found;
  const std::wstring folder = ExcludeTrailingBackslashLX(root);
  if (IsHeldOpen(folder)) found.push_back({folder, true, {}});
  Walk(folder, askRestartManager, found);
  return found;
}

std::wstring InUseMessage(const std::vector<TEntryInUse>& entries) {
  std::wstring text;
  for (const TEntryInUse& entry : entries) {
    if (!text.empty()) text += L"\r\n";
    text += Fmt(L"Could not delete %s: it is in use by %s.", entry.Path, DescribeHolders(entry.Holders));
  }
  return text;
}

}  // namespace hv
