// Links below folders as the host sees them (under Wine). Wine shows a host link to a file as a
// plain file, so telling one apart through the system's calls costs an open and a look at the
// final path per file; the host finds every link in many trees with one command.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace hv {

// For each of `folders` (full paths): whether the host finds a symbolic link anywhere below it
// (at any depth, dangling ones too); nothing where the host could not look (no plain folder
// there, a path the host shell is not given), and nothing at all when the look did not finish
// (a folder gone, one it could not read, no host shell).
// Each answer is by path at the moment of the look. Raises what the script runner raises.
std::vector<std::optional<bool>> HostLinksBelow(const std::vector<std::wstring>& folders);

}  // namespace hv
