#include "HvLXLinksBelow.h"

#include <vector>

#include "HvHandles.h"
#include "HvLXAdminFolders.h"
#include "HvLXPaths.h"
#include "HvLXStrings.h"

namespace hv {
namespace {

bool IsOrHoldsUnremovableLink(const THandleIdentity& folder, const std::wstring& name, DWORD attrs, DWORD tag) {
  const bool isFolder = (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (attrs & FILE_ATTRIBUTE_REPARSE_POINT) {
    if (tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT) return false;
    // Wine shows a host link to a folder so; other tags mark data of its own.
    if (tag == 0) return true;
  }
  // Wine shows a host link to a file as a plain file: only its identity tells.
  const UniqueFileHandle entry =
      OpenBelow(folder.Handle(), name, FILE_READ_ATTRIBUTES | (isFolder ? FILE_LIST_DIRECTORY | FILE_TRAVERSE : 0));
  if (!entry) return false;
  const THandleIdentity identity(entry.get());
  if (!folder.HoldsEntry(identity, name)) return true;
  return isFolder && HoldsUnremovableLinkBelow(identity);
}

}  // namespace

THandleIdentity::THandleIdentity(HANDLE handle) : FHandle(handle), FFinalPath(RealIdentityOfHandle(handle)) {}

const std::optional<TVolumeIdentity>& THandleIdentity::Volume() const {
  if (!FVolumeRead) {
    FVolume = VolumeIdentityOfHandle(FHandle);
    FVolumeRead = true;
  }
  return FVolume;
}

bool THandleIdentity::HoldsEntry(const THandleIdentity& entry, const std::wstring& name) const {
  if (FFinalPath && entry.FFinalPath) return SameTextOrdinal(*entry.FFinalPath, *FFinalPath + L"\\" + name);
  // No final path (Wine gives none past MAX_PATH characters): by volume and the path on it.
  const std::optional<TVolumeIdentity>& own = entry.Volume();
  const std::optional<TVolumeIdentity>& folder = Volume();
  return own && folder && own->Volume == folder->Volume &&
         SameTextOrdinal(own->Name, IncludeTrailingBackslashLX(folder->Name) + name);
}

bool HoldsUnremovableLinkBelow(const THandleIdentity& folder) {
  // Entries hold 64-bit fields: the buffer is aligned for them.
  std::vector<LONGLONG> buffer(2048);
  const DWORD size = static_cast<DWORD>(buffer.size() * sizeof(LONGLONG));
  // Each call goes on where the last one stopped; the handle is new, so the first starts at the top.
  while (GetFileInformationByHandleEx(folder.Handle(), FileIdBothDirectoryInfo, buffer.data(), size)) {
    auto* info = reinterpret_cast<FILE_ID_BOTH_DIR_INFO*>(buffer.data());
    for (;;) {
      const std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
      // A reparse point's listing carries its tag where the size of extended attributes would be.
      if (name != L"." && name != L".." && IsOrHoldsUnremovableLink(folder, name, info->FileAttributes, info->EaSize))
        return true;
      if (!info->NextEntryOffset) break;
      info = reinterpret_cast<FILE_ID_BOTH_DIR_INFO*>(reinterpret_cast<BYTE*>(info) + info->NextEntryOffset);
    }
  }
  return false;
}

}  // namespace hv
