// Names the routine and source line of a code address of this program. The build appends a
// table of routine starts and line rows to every program file (cmake/HvLineTable.cmake), so
// this works on any Windows without debug information, symbol servers or a network.
#pragma once

#include <functional>
#include <string>

namespace hv {

struct TCodeLocation {
  std::wstring routine;   // "hv::DeleteKeyLX"; empty when unknown
  std::wstring unit;      // the source file's base name, "HvLXRegistryFunctions"; empty when unknown
  std::wstring fileName;  // "HvLXRegistryFunctions.cpp"
  unsigned line = 0;      // 0 when unknown
};

// Where `address`, a code address of the program file, lies. Returns false (and leaves
// `location` empty) when the program carries no table, or the address is not in its code. The
// table is read on the first call; a call made while the table is being read on the same
// thread (a report of a raise or fault during the read), or read by another thread for more
// than 5 seconds (after which the thread no longer waits for it), answers false. Never raises.
bool LookUpCodeLocation(const void* address, TCodeLocation& location) noexcept;

// The table as text, for the program file named (the format the build appends); empty when
// the file has none. Exposed for tests.
std::string ReadLineTableText(const std::wstring& programFile);

// Test seam: within the scope the table is read afresh on its next use, running `duringLoad`
// first, inside the load; afterwards it is read afresh again. Not for use while other threads
// look names up.
class ScopedFreshLineTable {
 public:
  explicit ScopedFreshLineTable(std::function<void()> duringLoad);
  ~ScopedFreshLineTable();
  ScopedFreshLineTable(const ScopedFreshLineTable&) = delete;
  ScopedFreshLineTable& operator=(const ScopedFreshLineTable&) = delete;
};

}  // namespace hv
