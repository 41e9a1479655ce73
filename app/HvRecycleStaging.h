// Entries of one folder moved aside into a staging folder beside them, which then goes to the
// Recycle Bin in one step where the bin takes it whole. Moving an entry is a rename within the
// folder; sending each entry to the Recycle Bin on its own costs a search through everything
// already in the bin.
#pragma once

#include "HvLXLinks.h"

#include <optional>
#include <string>

#include "HvWindows.h"

namespace hv {

class TRecycleStaging {
 public:
  enum class TMoveResult { Moved, RefusedLink, Failed };

  // `folder`: where the entries lie; the staging folder is made there on the first move.
  explicit TRecycleStaging(std::wstring folder);
  // Recycles what was moved aside, on every path (a cancelled run keeps what it removed in
  // the Recycle Bin).
  ~TRecycleStaging();
  TRecycleStaging(const TRecycleStaging&) = delete;
  TRecycleStaging& operator=(const TRecycleStaging&) = delete;

  // Moves a file or folder that lies directly in the folder aside. A link this system can
  // only move by moving what it leads to, or a tree holding one, is refused and left where
  // it is; so is an entry the system will not move.
  TMoveResult MoveAside(const std::wstring& entry);
  // Sends what was moved aside to the Recycle Bin, silently, never deleting anything for
  // good: in one step when the Recycle Bin takes it whole, else entry by entry, and what it
  // will not take returns to the folder under its own name (the next free "name (2)" when
  // that name was taken meanwhile). Later moves start a new staging folder.
  void Recycle() noexcept;

 private:
  // The folder that receives the next entry (absolute), or empty when it cannot be made.
  std::wstring NextBucket();
  bool MayMove(HANDLE entry, const std::wstring& path);
  bool ReturnToFolder(const std::wstring& staged) noexcept;

  std::wstring FFolder;
  bool FFolderKnown = false;
  std::optional<std::wstring> FFolderFinalPath;
  std::optional<TVolumeIdentity> FFolderIdentity;
  std::wstring FStaging;
  std::wstring FBucket;
  int FBucketFill = 0;
  int FBuckets = 0;
};

}  // namespace hv
