#include "HvRecycleStaging.h"

#include <vector>

#include "HvFormat.h"
#include "HvHandles.h"
#include "HvLXAdminFolders.h"
#include "HvLXFiles.h"
#include "HvLXStrings.h"
#include "HvWindows.h"

namespace hv {
namespace {

// Under Wine, creating a name costs a scan of the whole folder that receives it (names are
// compared without case there), and making a bucket costs several round trips to the Wine
// server (made new with its access list, which is then read back). Buckets of 64 in groups of
// 16 balance the two: a longer scan per entry, half the buckets of 32.
constexpr std::size_t kBucketSize = 64, kBucketsPerGroup = 16;

std::wstring NameOf(const std::wstring& path) {
  const std::wstring trimmed = ExcludeTrailingBackslashLX(path);
  return trimmed.substr(trimmed.find_last_of(L'\\') + 1);
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

}  // namespace

TRecycleStaging::TRecycleStaging(std::wstring folder) : FFolder(IncludeTrailingBackslashLX(folder)) {}

TRecycleStaging::~TRecycleStaging() { Recycle(); }

const THandleIdentity* TRecycleStaging::OpenFolder() {
  if (!FFolderHandle) {
    FFolderHandle.reset(CreateFileW(LongFileName(FFolder).c_str(), kFolderHandleAccess & ~DELETE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!FFolderHandle) return nullptr;
    FFolderIdentity.emplace(FFolderHandle.get());
  }
  return &*FFolderIdentity;
}

HANDLE TRecycleStaging::NextBucket() {
  if (FForeign) return nullptr;
  if (!FStagingHandle) {
    if (!OpenFolder()) return nullptr;
    // Created new: a folder of that name that appeared meanwhile is someone else's.
    for (int attempt = 0; attempt < kNameAttempts && !FStagingHandle; ++attempt) {
      const std::wstring name = StagingName(attempt);
      FStagingHandle = CreateFolderBelow(FFolderHandle.get(), name, true);
      if (FStagingHandle) {
        FStaging = ExcludeTrailingBackslashLX(ExpandFileNameLX(FFolder + name));
      } else if (const DWORD error = GetLastError(); error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
        return nullptr;
      }
    }
    if (!FStagingHandle) return nullptr;
  }
  if (FBuckets.empty() || FBuckets.back().Entries.size() == kBucketSize) {
    const std::size_t index = FBuckets.size();
    TBucket bucket{Fmt(L"%.3d", static_cast<int>(index / kBucketsPerGroup)),
                   Fmt(L"%.3d", static_cast<int>(index % kBucketsPerGroup)), {}};
    FBucketHandle.reset();
    // Each made new below the handle of its parent, with the same access list (not every system
    // makes a new folder inherit it): a name someone else made first (only an
    // administrator can, but never trust it) ends the moves instead of being used.
    if (index % kBucketsPerGroup == 0) FGroupHandle = CreateFolderBelow(FStagingHandle.get(), bucket.Group, true);
    if (FGroupHandle) FBucketHandle = CreateFolderBelow(FGroupHandle.get(), bucket.Name, true);
    if (!FBucketHandle) {
      FForeign = true;
      FGroupHandle.reset();
      return nullptr;
    }
    FBuckets.push_back(std::move(bucket));
  }
  return FBucketHandle.get();
}

TRecycleStaging::TMoveResult TRecycleStaging::MoveAside(const std::wstring& entry, bool listedAsFolder,
                                                        std::optional<bool> hostSeesLinkBelow) {
  const std::wstring name = NameOf(entry);
  if (!SameTextOrdinal(ExcludeTrailingBackslashLX(entry), FFolder + name)) return TMoveResult::Failed;
  const THandleIdentity* folder = OpenFolder();
  if (!folder) return TMoveResult::Failed;
  // The handle that is checked is the one that is renamed, and it is what the listing saw or
  // nothing. A holder that denies deletion keeps the entry where it is.
  const UniqueFileHandle file =
      OpenBelow(folder->Handle(), name,
                DELETE | FILE_READ_ATTRIBUTES | (listedAsFolder ? FILE_LIST_DIRECTORY | FILE_TRAVERSE : 0),
                listedAsFolder);
  if (!file) return TMoveResult::Failed;
  // A link the system knows as one was opened as itself and names itself; a link it follows
  // anyway (Wine's host links) was opened as what it leads to, which then lies elsewhere.
  const THandleIdentity identity(file.get());
  if (!folder->HoldsEntry(identity, name)) return TMoveResult::RefusedLink;
  if (listedAsFolder) {
    // A tree goes whole: every link in it must be one that goes as a link. A link the system
    // knows as one goes as itself and is not entered.
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic)) return TMoveResult::Failed;
    // The host's answer stands for the walk: under Wine every link is a host link, which the
    // host sees as one at any depth. It was given by path before the moves began, which
    // weakens nothing: a link put into the tree after either look goes with the tree, as a
    // link (moving a tree renames its top only and follows nothing inside).
    if (!(basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        (hostSeesLinkBelow ? *hostSeesLinkBelow : HoldsUnremovableLinkBelow(identity)))
      return TMoveResult::RefusedLink;
  }

  const HANDLE bucket = NextBucket();
  if (!bucket) return TMoveResult::Failed;
  if (!RenameInto(file.get(), bucket, name)) return TMoveResult::Failed;
  FBuckets.back().Entries.push_back(name);
  return TMoveResult::Moved;
}

bool TRecycleStaging::ReturnToFolder(HANDLE bucket, const std::wstring& name) noexcept {
  try {
    const UniqueFileHandle staged = OpenBelow(bucket, name, DELETE | FILE_READ_ATTRIBUTES);
    if (!staged || !FFolderHandle) return false;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
      // Never replacing: an entry of that name that appeared meanwhile is someone else's.
      if (RenameInto(staged.get(), FFolderHandle.get(), NumberedName(name, attempt))) return true;
      const DWORD error = GetLastError();
      if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return false;
    }
  } catch (...) {
    // Out of memory: the entry stays in the staging folder.
  }
  return false;
}

void TRecycleStaging::RecycleEntryByEntry() noexcept {
  // The Recycle Bin would not take the batch whole (an entry in use, a bin too small for it),
  // or someone else put something into the staging folder: each entry this object moved goes
  // on its own, and what still cannot go returns to where the user had it, as if its own
  // deletion had failed. The walk opens only the folders it made, each below the handle of its
  // parent and never through a link; only folders emptied this way are removed, so an entry
  // that cannot even return keeps its folders, and nothing is lost.
  try {
    UniqueFileHandle group;
    std::wstring groupName;
    for (const TBucket& record : FBuckets) {
      if (record.Group != groupName) {
        if (group) DeleteWhenClosed(group.get());
        groupName = record.Group;
        group = OpenBelow(FStagingHandle.get(), groupName, kFolderHandleAccess);
        if (group && !IsPlainFolder(group.get())) group.reset();
      }
      if (!group) continue;
      const UniqueFileHandle bucket = OpenBelow(group.get(), record.Name, kFolderHandleAccess);
      if (!bucket || !IsPlainFolder(bucket.get())) continue;
      const std::wstring folder = FStaging + L"\\" + record.Group + L"\\" + record.Name + L"\\";
      for (const std::wstring& name : record.Entries) {
        if (!OpenBelow(bucket.get(), name, FILE_READ_ATTRIBUTES)) continue;  // gone meanwhile
        if (!RecycleOrKeep(folder + name)) ReturnToFolder(bucket.get(), name);
      }
      DeleteWhenClosed(bucket.get());
    }
    if (group) DeleteWhenClosed(group.get());
  } catch (...) {
    // Out of memory: what is left stays in the staging folder.
  }
  DeleteWhenClosed(FStagingHandle.get());
}

void TRecycleStaging::Recycle() noexcept {
  if (FStaging.empty()) return;
  // A folder with open handles below it cannot be moved as a whole.
  FBucketHandle.reset();
  FGroupHandle.reset();
  if (FForeign || !RecycleOrKeep(FStaging)) RecycleEntryByEntry();
  Reset();
}

void TRecycleStaging::Reset() noexcept {
  FStagingHandle.reset();
  FStaging.clear();
  FBuckets.clear();
  FForeign = false;
}

}  // namespace hv
