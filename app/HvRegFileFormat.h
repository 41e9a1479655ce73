// The text of a registry export file ("Windows Registry Editor Version 5.00"), which every
// registry editor imports: key headers and one line per value, each type written exactly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "HvWindows.h"

namespace hv {

inline constexpr wchar_t kRegFileHeader[] = L"Windows Registry Editor Version 5.00\r\n";

// "\r\n[path]\r\n": the blank line that parts keys, then the key's header. Raises
// EHvGeneralError for a path the format cannot carry (a line break in a name).
std::wstring RegFileKeyHeader(const std::wstring& fullPath);

// One value, ending in "\r\n": @ or "name", then "string", dword:, hex: or hex(type):, long
// byte lists continued over lines as editors write them. A string with a character the quoted
// form cannot carry (a control character, a NUL inside, no NUL at the end) is written in hex,
// byte for byte. Raises EHvGeneralError for a name with a line break.
std::wstring RegFileValueLine(const std::wstring& name, DWORD type, const std::vector<std::uint8_t>& data);

}  // namespace hv
