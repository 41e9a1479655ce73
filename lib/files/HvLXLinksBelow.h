// Links in a tree reached through open handles, never by path: the tree that is checked is the
// one its holder then moves, whatever happens to the paths meanwhile. The same rules as the
// walk by path (HvLXLinks), where each entry costs a look-up of its whole path.
#pragma once

#include <optional>
#include <string>

#include "HvLXLinks.h"
#include "HvWindows.h"

namespace hv {

// What an open file or folder really is (its final path, and its volume and path there where
// the system gives no final path), to tell its own entries from what links in it lead to. The
// handle must outlive this object.
class THandleIdentity {
 public:
  explicit THandleIdentity(HANDLE handle);

  HANDLE Handle() const { return FHandle; }
  // Whether `entry`, opened as itself under `name` directly below this folder, is that entry
  // and not what a link the system follows anyway leads to. False when either cannot be told.
  bool HoldsEntry(const THandleIdentity& entry, const std::wstring& name) const;

 private:
  const std::optional<TVolumeIdentity>& Volume() const;

  HANDLE FHandle;
  std::optional<std::wstring> FFinalPath;
  mutable std::optional<TVolumeIdentity> FVolume;
  mutable bool FVolumeRead = false;
};

// Whether the tree below the open folder (opened with FILE_LIST_DIRECTORY and FILE_TRAVERSE)
// holds a link that no call here moves or removes without reaching what it leads to. Links
// that go as links are passed over, never entered; an entry that cannot be opened or a folder
// that cannot be listed counts as none, as nothing could follow it.
bool HoldsUnremovableLinkBelow(const THandleIdentity& folder);

}  // namespace hv
