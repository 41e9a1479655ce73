#include "HvRecycleStaging.h"

#include "HvFormat.h"
#include "HvLXFiles.h"
#include "HvWindows.h"

namespace hv {
namespace {

// Under Wine, creating a name costs a scan of the whole folder that receives it (names are
// compared without case there); small buckets keep each scan short.
constexpr int kBucketSize = 100;

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

std::wstring TRecycleStaging::NextTarget(const std::wstring& name) {
  if (FStaging.empty()) {
    std::wstring staging = FFolder + StagingName();
    if (!CreateDirectoryW(LongFileName(staging, false).c_str(), nullptr)) return {};
    FStaging = staging;
    FBucketFill = kBucketSize;
  }
  if (FBucketFill == kBucketSize) {
    std::wstring bucket = Fmt(L"%s\\%.4d", FStaging, ++FBuckets);
    if (!CreateDirectoryW(LongFileName(bucket, false).c_str(), nullptr)) return {};
    FBucket = bucket;
    FBucketFill = 0;
  }
  return FBucket + L"\\" + name;
}

TRecycleStaging::TMoveResult TRecycleStaging::MoveAside(const std::wstring& entry) {
  // This system moves some links by moving what they lead to: such an entry stays.
  const TLinkKind kind = ClassifyLink(entry);
  if (kind == TLinkKind::UnremovableLink) return TMoveResult::RefusedLink;
  if (kind == TLinkKind::None && DirExistsUncheckedLX(entry, false) && HoldsUnremovableLink(entry))
    return TMoveResult::RefusedLink;

  const std::wstring target = NextTarget(NameOf(entry));
  if (target.empty()) return TMoveResult::Failed;
  // No copy allowed: a move that is not a rename within the volume fails instead.
  if (!MoveFileExW(LongFileName(entry, false).c_str(), LongFileName(target, false).c_str(), 0))
    return TMoveResult::Failed;
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
