// A picture of what a removal may touch, to tell what changed: every key and value (with its
// type and data) of HKLM\SOFTWARE in both registry views, of HKCR\Installer and of
// HKCU\Software, and every file and folder of drive C: with its size; one line each, sorted.
// The scratch places that test suites use at the same time are left out: their scratch keys,
// the temporary folders and Wine's own settings.
#pragma once

#include <cstddef>
#include <set>
#include <string>

namespace hvplant {

struct MachineSnapshot {
  std::set<std::wstring> lines;
  bool operator==(const MachineSnapshot&) const = default;
};
MachineSnapshot TakeSnapshot();
// The lines only in `a` ("- ") and only in `b` ("+ "), at most `limit` of them.
std::wstring SnapshotDifference(const MachineSnapshot& a, const MachineSnapshot& b, std::size_t limit = 40);

}  // namespace hvplant
