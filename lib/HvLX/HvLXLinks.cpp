#include "HvLXLinks.h"

#include "HvHandles.h"
#include "HvLXExistence.h"
#include "HvLXPaths.h"
#include "HvWindows.h"

namespace hv {
namespace {

struct TEntry {
  std::wstring path;  // the long form, no trailing backslash
  WIN32_FIND_DATAW data;
};

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                              TRUE) == CSTR_EQUAL;
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
  return IncludeTrailingBackslashLX(folder) + name;
}

bool HasWildcard(const std::wstring& path) {
  const std::size_t start = path.starts_with(L"\\\\?\\") ? 4 : 0;
  return path.find_first_of(L"*?", start) != std::wstring::npos;
}

TLinkKind ClassifyEntry(const TEntry& entry, const std::optional<std::wstring>& folderIdentity) {
  const DWORD attrs = entry.data.dwFileAttributes;
  if (attrs & FILE_ATTRIBUTE_REPARSE_POINT) {
    const DWORD tag = entry.data.dwReserved0;
    if (tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT) return TLinkKind::RemovableLink;
    if (tag == 0) return TLinkKind::UnremovableLink;
    // Other tags (cloud placeholders, deduplicated files) are the data itself; judge by identity.
  }
  if (!folderIdentity) return TLinkKind::None;
  const std::optional<std::wstring> own = RealIdentity(entry.path);
  if (!own) return TLinkKind::None;  // nothing the shell could follow either
  return SameText(*own, Join(*folderIdentity, entry.data.cFileName)) ? TLinkKind::None
                                                                     : TLinkKind::UnremovableLink;
}

// Up to and including the last backslash, so that "C:\x" gives "C:\", not the drive's
// current folder "C:".
std::wstring ParentOf(const std::wstring& path) {
  const std::size_t sep = path.find_last_of(L'\\');
  return sep == std::wstring::npos ? std::wstring() : path.substr(0, sep + 1);
}

// The entry at `path` as a directory listing shows it; false when there is none.
bool ReadEntry(const std::wstring& path, TEntry& entry) {
  if (path.empty() || HasWildcard(path)) return false;
  entry.path = ExcludeTrailingBackslashLX(LongFileName(ExpandFileNameLX(path), false));
  UniqueFindHandle find(FindFirstFileW(entry.path.c_str(), &entry.data));
  return find.valid();
}

// Walks the folder `folder` (known not to be a link); false when `visit` asked to stop.
bool WalkFolder(const std::wstring& folder,
                const std::function<bool(const std::wstring&, TLinkKind)>& visit) {
  const std::optional<std::wstring> folderIdentity = RealIdentity(folder);
  TEntry entry;
  UniqueFindHandle find(FindFirstFileW(Join(folder, L"*").c_str(), &entry.data));
  if (!find) return true;
  do {
    const std::wstring name = entry.data.cFileName;
    if (name == L"." || name == L"..") continue;
    entry.path = Join(folder, name);
    const TLinkKind kind = ClassifyEntry(entry, folderIdentity);
    if (kind != TLinkKind::None) {
      if (!visit(entry.path, kind)) return false;
    } else if (entry.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!WalkFolder(entry.path, visit)) return false;
    }
  } while (FindNextFileW(find.get(), &entry.data));
  return true;
}

}  // namespace

std::optional<std::wstring> RealIdentity(const std::wstring& path) {
  // Any sharing, so that a file held open by someone else can still be named.
  UniqueFileHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return std::nullopt;
  DWORD size = MAX_PATH;
  for (;;) {
    std::wstring buffer(size, L'\0');
    const DWORD len = GetFinalPathNameByHandleW(file.get(), buffer.data(), size, 0);
    if (len == 0) return std::nullopt;
    if (len < size) {
      buffer.resize(len);
      return ExcludeTrailingBackslashLX(buffer);
    }
    size = len + 1;
  }
}

TLinkKind ClassifyLink(const std::wstring& path) {
  TEntry entry;
  if (!ReadEntry(path, entry)) return TLinkKind::None;
  const std::wstring parent = ParentOf(entry.path);
  // A drive or share root is where a path begins, not a link.
  if (parent.empty() || parent.size() >= entry.path.size()) return TLinkKind::None;
  return ClassifyEntry(entry, RealIdentity(parent));
}

bool IsLinkPath(const std::wstring& path) { return ClassifyLink(path) != TLinkKind::None; }

void ForEachLinkInTree(const std::wstring& root,
                       const std::function<bool(const std::wstring& link, TLinkKind kind)>& visit) {
  TEntry entry;
  if (!ReadEntry(root, entry)) return;
  const TLinkKind kind = ClassifyLink(root);
  if (kind != TLinkKind::None) {
    visit(entry.path, kind);
    return;
  }
  if (entry.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) WalkFolder(entry.path, visit);
}

std::optional<std::wstring> FindLinkInTree(const std::wstring& root) {
  std::optional<std::wstring> found;
  ForEachLinkInTree(root, [&](const std::wstring& link, TLinkKind) {
    found = link;
    return false;
  });
  return found;
}

bool RemoveLinkItself(const std::wstring& path) {
  TEntry entry;
  if (!ReadEntry(path, entry) || ClassifyLink(path) != TLinkKind::RemovableLink) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return false;
  }
  if (entry.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveDirectoryW(entry.path.c_str()) != 0;
  return DeleteFileW(entry.path.c_str()) != 0;
}

}  // namespace hv
