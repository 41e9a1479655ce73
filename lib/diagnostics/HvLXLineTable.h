// Names the routine and source line of a code address of this program. The build appends a
// table of routine starts and line rows to every program file (cmake/HvLineTable.cmake), so
// this works on any Windows without debug information, symbol servers or a network.
#pragma once

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
// table is read on the first call. Never raises.
bool LookUpCodeLocation(const void* address, TCodeLocation& location) noexcept;

// The table as text, for the program file named (the format the build appends); empty when
// the file has none. Exposed for tests.
std::string ReadLineTableText(const std::wstring& programFile);

}  // namespace hv
