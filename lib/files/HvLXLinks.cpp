#include "HvLXLinks.h"

#include <vector>

#include "HvHandles.h"
#include "HvLXExistence.h"
#include "HvLXFilePlatform.h"
#include "HvLXPaths.h"
#include "HvLXStrings.h"
#include "HvWindows.h"

namespace hv {
namespace {

struct TEntry {
  std::wstring path;  // the long form, no trailing backslash
  WIN32_FIND_DATAW data;
};

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
  return IncludeTrailingBackslashLX(folder) + name;
}

bool HasWildcard(const std::wstring& path) {
  const std::size_t start = path.starts_with(L"\\\\?\\") ? 4 : 0;
  return path.find_first_of(L"*?", start) != std::wstring::npos;
}

// Whether `entry` is the entry of that name in `folder` itself, by volume identity.
bool IsOwnEntryByVolume(const std::wstring& entryPath, const std::wstring& folder, const std::wstring& name) {
  const std::optional<TVolumeIdentity> own = VolumeIdentity(entryPath);
  const std::optional<TVolumeIdentity> parent = VolumeIdentity(folder);
  if (!own) return true;  // nothing the shell could follow either
  return parent && own->Volume == parent->Volume && SameTextOrdinal(own->Name, Join(parent->Name, name));
}

TLinkKind ClassifyEntry(const TEntry& entry, const std::optional<std::wstring>& folderIdentity) {
  const DWORD attrs = entry.data.dwFileAttributes;
  if (attrs & FILE_ATTRIBUTE_REPARSE_POINT) {
    const DWORD tag = entry.data.dwReserved0;
    if (tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT) return TLinkKind::RemovableLink;
    if (tag == 0) return TLinkKind::UnremovableLink;
    // Other tags (cloud placeholders, deduplicated files) are the data itself; judge by identity.
  }
  const std::wstring name = entry.data.cFileName;
  const std::optional<std::wstring> own = RealIdentity(entry.path);
  if (own && folderIdentity) {
    return SameTextOrdinal(*own, Join(*folderIdentity, name)) ? TLinkKind::None : TLinkKind::UnremovableLink;
  }
  // No final path (Wine gives none past MAX_PATH characters): judge by volume identity.
  const std::size_t sep = entry.path.find_last_of(L'\\');
  const std::wstring folder = sep == std::wstring::npos ? std::wstring() : entry.path.substr(0, sep + 1);
  return IsOwnEntryByVolume(entry.path, folder, name) ? TLinkKind::None : TLinkKind::UnremovableLink;
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
  entry.path = ExcludeTrailingBackslashLX(LongFileName(ExpandFileNameLX(path)));
  UniqueFindHandle find(FindFirstFileW(entry.path.c_str(), &entry.data));
  if (!find) return false;
  CurrentFilePlatform().AdjustListedEntry(entry.path, entry.data);
  return true;
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
    CurrentFilePlatform().AdjustListedEntry(entry.path, entry.data);
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
  return RealIdentityOfHandle(file.get());
}

std::optional<std::wstring> RealIdentityOfHandle(void* handle) {
  std::optional<std::wstring> path = FinalPathOfHandle(handle);
  if (path) *path = ExcludeTrailingBackslashLX(*path);
  return path;
}

std::optional<TVolumeIdentity> VolumeIdentityOfHandle(void* handle) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
  DWORD size = sizeof(FILE_NAME_INFO) + MAX_PATH * sizeof(wchar_t);
  for (;;) {
    std::vector<BYTE> buffer(size);
    auto* name = reinterpret_cast<FILE_NAME_INFO*>(buffer.data());
    if (GetFileInformationByHandleEx(handle, FileNameInfo, name, size))
      return TVolumeIdentity{info.dwVolumeSerialNumber, std::wstring(name->FileName, name->FileNameLength / sizeof(wchar_t))};
    // The first part tells the length when the buffer was too short.
    if (GetLastError() != ERROR_MORE_DATA || name->FileNameLength + sizeof(FILE_NAME_INFO) <= size) return std::nullopt;
    size = static_cast<DWORD>(sizeof(FILE_NAME_INFO) + name->FileNameLength);
  }
}

std::optional<TVolumeIdentity> VolumeIdentity(const std::wstring& path) {
  UniqueFileHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return std::nullopt;
  return VolumeIdentityOfHandle(file.get());
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
