// Removing from the host side (under Wine) what no system call here removes safely: host
// symbolic links, which every delete call acts through, and trees the shell could not delete.
#pragma once

#include <string>

namespace hv {

// The host path that names the file, folder or link at `path` itself: `path` made absolute
// with "." and ".." resolved as Windows resolves them (as the safety checks see it), its
// folder converted (links on the way resolved) and its own name appended, so a link is named,
// never its target. Raises EHvGeneralError for a path with a control character.
std::wstring HostPathOfEntry(const std::wstring& path);
// Removes every symbolic link in the tree at `root` (`root` itself and dangling links
// included) as a link. Needs the host shell.
void RemoveHostLinksInTree(const std::wstring& root);
// "rm -rf" of the tree at `path` (a link there is removed as a link). Needs the host shell.
void RemoveTreeThroughHost(const std::wstring& path);

}  // namespace hv
