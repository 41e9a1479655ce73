#include "HvRestartRemoval.h"

#include <algorithm>
#include <set>

#include "HvExceptions.h"
#include "HvLXAdminFolders.h"
#include "HvLXFileSearch.h"
#include "HvLXFiles.h"
#include "HvLXPaths.h"

namespace hv {
namespace {

std::size_t Depth(const std::wstring& path) { return static_cast<std::size_t>(std::count(path.begin(), path.end(), L'\\')); }

// Deepest first; paths of one depth in a fixed order.
void SortDeepestFirst(std::vector<std::wstring>& paths) {
  std::sort(paths.begin(), paths.end(), [](const std::wstring& a, const std::wstring& b) {
    return Depth(a) != Depth(b) ? Depth(a) > Depth(b) : a < b;
  });
}

std::wstring ParentOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// Why the start-up deletion of what lies below `folder` could reach something else, or empty
// when it cannot.
std::wstring WhyNotSchedulable(const std::wstring& folder) {
  if (IsLinkPath(folder)) return L"is a link";
  if (!IsAdminOnlyPath(folder)) return L"can be changed by others than administrators";
  return {};
}

// Sends every entry of `folder` that is not kept to the shell, and goes into the kept folders.
void DeleteAllBut(const std::wstring& folder, const std::set<std::wstring>& kept, std::uint16_t shellFlags) {
  std::vector<std::wstring> entries;
  TSearchRecLX search;
  int result = FindFirstLX(folder + L"\\*", faAnyFile, search, true, false);
  while (result == 0) {
    if (search.Name != L"." && search.Name != L"..") entries.push_back(folder + L"\\" + search.Name);
    result = FindNextLX(search);
  }
  FindCloseLX(search);
  for (const std::wstring& entry : entries) {
    if (!kept.contains(entry)) {
      ShellDeletePath(entry, shellFlags, L"");
    } else if (DirExistsLX(entry, true) && !IsLinkPath(entry)) {
      DeleteAllBut(entry, kept, shellFlags);
    }
  }
}

}  // namespace

std::vector<std::wstring> RemoveNowAndAtRestart(const std::wstring& root, const std::vector<TEntryInUse>& inUse,
                                                std::uint16_t shellFlags) {
  const std::wstring top = ExcludeTrailingBackslashLX(root);
  std::wstring why;
  if (IsProtectedFolder(top, &why)) throw EHvGeneralError(Fmt(L"Refusing to delete \"%s\": it is %s.", top, why));

  // The entries in use and every folder from each of them up to the root.
  std::vector<std::wstring> files;
  std::set<std::wstring> folderSet{top};
  for (const TEntryInUse& entry : inUse) {
    if (entry.Folder) folderSet.insert(entry.Path);
    else files.push_back(entry.Path);
    for (std::wstring up = ParentOf(entry.Path); up.size() > top.size(); up = ParentOf(up)) folderSet.insert(up);
  }
  std::vector<std::wstring> folders(folderSet.begin(), folderSet.end());

  // The folder above the root counts too: whoever could rename it could put a link in its place.
  std::vector<std::wstring> checked = folders;
  checked.push_back(ParentOf(top));
  for (const std::wstring& folder : checked) {
    const std::wstring reason = WhyNotSchedulable(folder);
    if (!reason.empty())
      throw EHvGeneralError(Fmt(L"%s\r\nNor can it be deleted at the next restart: %s %s.", InUseMessage(inUse),
                                folder, reason));
  }
  for (const std::wstring& file : files)
    if (IsLinkPath(file))
      throw EHvGeneralError(Fmt(L"%s\r\nNor can it be deleted at the next restart: %s is a link.",
                                InUseMessage(inUse), file));

  std::set<std::wstring> kept(folderSet);
  kept.insert(files.begin(), files.end());
  DeleteAllBut(top, kept, shellFlags);

  SortDeepestFirst(files);
  SortDeepestFirst(folders);
  std::vector<std::wstring> order = files;
  order.insert(order.end(), folders.begin(), folders.end());
  for (const std::wstring& path : order)
    if (!MoveFileExW(LongFileName(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
      throw EHvGeneralError(Fmt(L"Could not delete %s at the next restart: %s", path, SysErrorMessage(GetLastError())));
  return order;
}

}  // namespace hv
