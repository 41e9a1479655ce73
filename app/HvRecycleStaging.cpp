#include "HvRecycleStaging.h"

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

// A name that says what the folder holds when the user looks into the Recycle Bin, unique
// per process and time.
std::wstring StagingName() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return Fmt(L"Cleaned-out temporary files %.4d-%.2d-%.2d %.2d.%.2d.%.2d (%u)", int{now.wYear}, int{now.wMonth},
             int{now.wDay}, int{now.wHour}, int{now.wMinute}, int{now.wSecond},
             static_cast<unsigned>(GetCurrentProcessId()));
}

}  // namespace

TRecycleStaging::TRecycleStaging(std::wstring folder) : FFolder(IncludeTrailingBackslashLX(folder)) {}

TRecycleStaging::~TRecycleStaging() { Recycle(); }

std::wstring TRecycleStaging::NextBucket() {
  if (FStaging.empty()) {
    std::wstring staging = ExpandFileNameLX(FFolder + StagingName());
    if (!CreateDirectoryW(LongFileName(staging).c_str(), nullptr)) return {};
    FStaging = staging;
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

void TRecycleStaging::Recycle() noexcept {
  if (FStaging.empty()) return;
  try {
    ShellFileOperation(nullptr, kFoDelete, FStaging, L"", kFofSilent | kFofNoConfirmation | kFofNoErrorUI | kFofAllowUndo,
                       L"");
  } catch (...) {
    // Failing to recycle leaves the entries in the staging folder, where nothing is lost.
  }
  FStaging.clear();
  FBucket.clear();
  FBucketFill = 0;
  FBuckets = 0;
}

}  // namespace hv
