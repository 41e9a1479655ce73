// Entries of one folder moved aside into a staging folder beside them, which then goes to the
// Recycle Bin in one step where the bin takes it whole. Moving an entry is a rename within the
// folder; sending each entry to the Recycle Bin on its own costs a search through everything
// already in the bin.
//
// The folder may be one every user can write to (the system's temporary folder of the local
// system account) and the staging names can be guessed: the staging folder is made new with
// an access list for administrators and the system alone, every folder below it is made new
// through the handle of its parent, entries are renamed into folders by handle, and a folder
// this object did not make is never used.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "HvHandles.h"
#include "HvLXLinksBelow.h"
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

  // Moves a file or folder that lies directly in the folder aside, opened through the folder's
  // handle as the kind the listing saw. A link this system can only move by moving what it
  // leads to, or a tree holding one, is refused and left where it is; so is an entry the
  // system will not move, one that is no longer of that kind, and one that lies elsewhere.
  // `hostSeesLinkBelow`: for a folder, what the host answered a little earlier about links
  // below it (HostLinksBelow); without an answer the tree is walked through its handle.
  TMoveResult MoveAside(const std::wstring& entry, bool listedAsFolder, std::optional<bool> hostSeesLinkBelow = {});
  // Sends what was moved aside to the Recycle Bin, silently, never deleting anything for
  // good: in one step when the Recycle Bin takes it whole, else entry by entry, and what it
  // will not take returns to the folder under its own name (the next free "name (2)" when
  // that name was taken meanwhile). Later moves start a new staging folder. The entry-by-entry
  // walk goes by what this object moved, through folders it made, never by listing a path.
  void Recycle() noexcept;

  // The staging folder of the moves so far (empty before the first one).
  const std::wstring& StagingFolder() const { return FStaging; }

 private:
  struct TBucket {
    std::wstring Group, Name;
    std::vector<std::wstring> Entries;  // names moved in, in order
  };

  // The folder that receives the next entry, or nullptr when it cannot be made.
  HANDLE NextBucket();
  // The folder's handle and identity, or nullptr when it cannot be opened.
  const THandleIdentity* OpenFolder();
  void RecycleEntryByEntry() noexcept;
  bool ReturnToFolder(HANDLE bucket, const std::wstring& name) noexcept;
  void Reset() noexcept;

  std::wstring FFolder;
  UniqueFileHandle FFolderHandle;
  std::optional<THandleIdentity> FFolderIdentity;  // of FFolderHandle
  std::wstring FStaging;
  UniqueFileHandle FStagingHandle, FGroupHandle, FBucketHandle;
  std::vector<TBucket> FBuckets;
  // Something in the staging folder that this object did not make: no more moves, and no
  // recycling of the folder as a whole.
  bool FForeign = false;
};

}  // namespace hv
