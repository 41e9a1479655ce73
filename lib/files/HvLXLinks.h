// Telling links (symbolic links, junctions) apart from what they lead to, so that nothing
// that deletes a tree ever deletes outside it.
//
// Windows marks every link with a reparse point whose tag says what it is, and DeleteFileW
// or RemoveDirectoryW then remove the link itself. Wine shows host links differently: a link
// to a folder has the reparse bit with tag 0, a link to a file looks like a plain file, and
// every delete call there acts on the target. Such a link is recognised by its identity: the
// final path the system gives for it differs from that of its own folder plus its name.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace hv {

enum class TLinkKind {
  None,             // not a link (or nothing there)
  RemovableLink,    // a link the system deletes as a link (a real symbolic link or junction)
  UnremovableLink,  // a link that no system call here deletes without touching its target
};

// What an existing file or folder really is: the final path the system gives for it
// ("\\?\" form, links resolved, no trailing backslash). Nothing when it cannot be opened
// or the system gives no name.
std::optional<std::wstring> RealIdentity(const std::wstring& path);
std::optional<std::wstring> RealIdentityOfHandle(void* handle);

// The same, on paths of any length: the volume's serial number and the path on the volume
// from its root, links resolved. Wine gives no final path name past MAX_PATH characters, so
// link tests fall back to this there.
struct TVolumeIdentity {
  unsigned long Volume = 0;
  std::wstring Name;
};
std::optional<TVolumeIdentity> VolumeIdentityOfHandle(void* handle);
std::optional<TVolumeIdentity> VolumeIdentity(const std::wstring& path);

TLinkKind ClassifyLink(const std::wstring& path);
// Whether `path` itself is a link to a file or folder, of either kind.
bool IsLinkPath(const std::wstring& path);

// The first link met in the tree at `root` (`root` itself included); links are reported,
// never entered.
std::optional<std::wstring> FindLinkInTree(const std::wstring& root);
// Calls `visit` for every link in the tree at `root` (`root` itself included) until it
// returns false.
void ForEachLinkInTree(const std::wstring& root,
                       const std::function<bool(const std::wstring& link, TLinkKind kind)>& visit);

// Deletes the link at `path` itself, leaving its target alone. False (with the last error
// set) when it is not a link this system removes as a link, or the removal fails.
bool RemoveLinkItself(const std::wstring& path);

}  // namespace hv
