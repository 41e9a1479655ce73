#include "HvRecycleStaging.h"

#include <vector>

#include "HvFormat.h"
#include "HvHandles.h"
#include "HvLXFiles.h"
#include "HvLXStrings.h"
#include "HvWindows.h"

namespace hv {
namespace {

// Under Wine, creating a name costs a scan of the whole folder that receives it (names are
// compared without case there); small buckets, themselves grouped, keep each scan short.
constexpr int kBucketSize = 32;

std::wstring NameOf(const std::wstring& path) {
  const std::wstring trimmed = ExcludeTrailingBackslashLX(path);
  return trimmed.substr(trimmed.find_last_of(L'\\') + 1);
}

bool HoldsUnremovableLink(const std::wstring& folder) {
  bool found = false;
  ForEachLinkInTree(folder, [&](const std::wstring&, TLinkKind kind) {
    found = kind == TLinkKind::UnremovableLink;
    return !found;
  });
  return found;
}

// A name that says what the folder holds when the user looks into the Recycle Bin; `attempt`
// tells apart runs of the same second and process id (Wine hands out the same ids again).
std::wstring StagingName(int attempt) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::wstring name = Fmt(L"Cleaned-out temporary files %.4d-%.2d-%.2d %.2d.%.2d.%.2d (%u)", int{now.wYear},
                          int{now.wMonth}, int{now.wDay}, int{now.wHour}, int{now.wMinute}, int{now.wSecond},
                          static_cast<unsigned>(GetCurrentProcessId()));
  return attempt == 0 ? name : Fmt(L"%s %d", name, attempt + 1);
}

// How often a name this class makes up is tried again after another object took it first.
constexpr int kNameAttempts = 100;

// `name` as it is, then "stem (2).ext", "stem (3).ext" and so on.
std::wstring NumberedName(const std::wstring& name, int attempt) {
  if (attempt == 0) return name;
  const std::size_t dot = name.find_last_of(L'.');
  const bool hasExt = dot != std::wstring::npos && dot > 0;
  return Fmt(L"%s (%d)%s", hasExt ? name.substr(0, dot) : name, attempt + 1, hasExt ? name.substr(dot) : L"");
}

// Full paths of what `folder` lists directly (nothing for a folder that cannot be listed).
std::vector<std::wstring> EntriesOf(const std::wstring& folder) {
  std::vector<std::wstring> entries;
  WIN32_FIND_DATAW data;
  UniqueFindHandle find(FindFirstFileW(LongFileName(folder + L"\\*").c_str(), &data));
  if (!find) return entries;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") entries.push_back(folder + L"\\" + name);
  } while (FindNextFileW(find.get(), &data));
  return entries;
}

}  // namespace

TRecycleStaging::TRecycleStaging(std::wstring folder) : FFolder(IncludeTrailingBackslashLX(folder)) {}

TRecycleStaging::~TRecycleStaging() { Recycle(); }

std::wstring TRecycleStaging::NextBucket() {
  if (FStaging.empty()) {
    // Created new: a folder of that name that appeared meanwhile is someone else's.
    for (int attempt = 0; attempt < kNameAttempts && FStaging.empty(); ++attempt) {
      const std::wstring staging = ExpandFileNameLX(FFolder + StagingName(attempt));
      if (CreateDirectoryW(LongFileName(staging).c_str(), nullptr))
        FStaging = staging;
      else if (GetLastError() != ERROR_ALREADY_EXISTS)
        return {};
    }
    if (FStaging.empty()) return {};
    FBucketFill = kBucketSize;
  }
  if (FBucketFill == kBucketSize) {
    FBucket.clear();
    const int index = FBuckets++;
    const std::wstring group = Fmt(L"%s\\%.3d", FStaging, index / kBucketSize);
    if (index % kBucketSize == 0 && !CreateDirectoryW(LongFileName(group).c_str(), nullptr)) return {};
    const std::wstring bucket = Fmt(L"%s\\%.3d", group, index % kBucketSize);
    if (!CreateDirectoryW(LongFileName(bucket).c_str(), nullptr)) return {};
    FBucket = bucket;
    FBucketFill = 0;
  }
  return FBucket;
}

bool TRecycleStaging::MayMove(HANDLE entry, const std::wstring& path) {
  FILE_BASIC_INFO basic;
  if (!GetFileInformationByHandleEx(entry, FileBasicInfo, &basic, sizeof basic)) return false;
  // A reparse point that the system marks as one was opened as itself; its tag says
  // whether it is a link that can be moved as a link, or data of its own.
  if (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return ClassifyLink(path) != TLinkKind::UnremovableLink;

  // Other links were opened as what they lead to, which then lies elsewhere.
  if (!FFolderKnown) {
    FFolderKnown = true;
    UniqueFileHandle folder(CreateFileW(LongFileName(FFolder).c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (folder) {
      FFolderFinalPath = RealIdentityOfHandle(folder.get());
      FFolderIdentity = VolumeIdentityOfHandle(folder.get());
    }
  }
  const std::wstring name = NameOf(path);
  if (FFolderFinalPath) {
    if (const std::optional<std::wstring> own = RealIdentityOfHandle(entry))
      return SameTextOrdinal(*own, *FFolderFinalPath + L"\\" + name);
  }
  const std::optional<TVolumeIdentity> own = VolumeIdentityOfHandle(entry);
  return own && FFolderIdentity && own->Volume == FFolderIdentity->Volume &&
         SameTextOrdinal(own->Name, IncludeTrailingBackslashLX(FFolderIdentity->Name) + name);
}

TRecycleStaging::TMoveResult TRecycleStaging::MoveAside(const std::wstring& entry) {
  const std::wstring path = ExcludeTrailingBackslashLX(LongFileName(entry));
  // Links in a tree are looked for before the tree is held open for its move, which would
  // keep the search from listing it.
  const DWORD attrs = GetFileAttributesW(path.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) && HoldsUnremovableLink(path))
    return TMoveResult::RefusedLink;
  // The handle that is checked is the one that is renamed. A holder that denies deletion
  // keeps the entry where it is.
  UniqueFileHandle file(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return TMoveResult::Failed;
  if (!MayMove(file.get(), path)) return TMoveResult::RefusedLink;

  const std::wstring bucket = NextBucket();
  if (bucket.empty()) return TMoveResult::Failed;
  if (!RenameByHandle(file.get(), bucket + L"\\" + NameOf(path))) return TMoveResult::Failed;
  ++FBucketFill;
  return TMoveResult::Moved;
}

bool TRecycleStaging::ReturnToFolder(const std::wstring& staged) noexcept {
  const std::wstring name = NameOf(staged);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    // Never replacing: an entry of that name that appeared meanwhile is someone else's.
    if (MoveFileExW(LongFileName(staged).c_str(), LongFileName(FFolder + NumberedName(name, attempt)).c_str(), 0))
      return true;
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

void TRecycleStaging::Recycle() noexcept {
  if (FStaging.empty()) return;
  if (!RecycleOrKeep(FStaging)) {
    // The Recycle Bin would not take the batch whole (an entry in use, a bin too small for
    // it): each entry goes on its own, and what still cannot go returns to where the user
    // had it, as if its own deletion had failed. Only folders emptied this way are removed,
    // so an entry that cannot even return keeps the staging folder, and nothing is lost.
    try {
      for (const std::wstring& group : EntriesOf(FStaging)) {
        for (const std::wstring& bucket : EntriesOf(group)) {
          for (const std::wstring& staged : EntriesOf(bucket))
            if (!RecycleOrKeep(staged)) ReturnToFolder(staged);
          RemoveDirectoryW(LongFileName(bucket).c_str());
        }
        RemoveDirectoryW(LongFileName(group).c_str());
      }
    } catch (...) {
      // Out of memory while listing: what is left stays in the staging folder.
    }
    RemoveDirectoryW(LongFileName(FStaging).c_str());
  }
  FStaging.clear();
  FBucket.clear();
  FBucketFill = 0;
  FBuckets = 0;
}

}  // namespace hv
