// Which running processes were started from a folder: a product must not be removed while a
// program of its own still runs from its installation folder.
#pragma once

#include <string>
#include <vector>

#include "HvWindows.h"

namespace hv {

struct TRunningProcess {
  DWORD Id = 0;
  std::wstring ImagePath;  // full path of the program file
};

// Running processes whose program file lies inside one of `folders` (at any depth; compared
// ignoring case). Processes whose image the system will not name (other users', the system's)
// are passed over. Raises EOSError when no process snapshot can be taken.
std::vector<TRunningProcess> ProcessesRunningFrom(const std::vector<std::wstring>& folders);

// The full path of the program file of process `id`; empty when the system will not name it,
// or when `startedAt` is given and the process with that id started at another time.
std::wstring ProcessImagePath(DWORD id, const FILETIME* startedAt = nullptr);

// The product's installation folders in both views of Program Files (the 32-bit one and, on
// 64-bit Windows, the native one), from the catalogue's suffixes.
std::vector<std::wstring> InstallationFoldersInBothViews(const std::vector<std::wstring>& suffixes);

}  // namespace hv
