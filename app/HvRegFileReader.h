// Reads back the registry export text that HvRegFileFormat writes. Only those forms are
// understood: a file that deletes keys or values, or carries anything else, is refused whole,
// since what it holds will be written into the machine's registry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "HvWindows.h"

namespace hv {

struct TRegFileValue {
  std::wstring Name;  // empty: the key's default value
  DWORD Type = REG_NONE;
  std::vector<std::uint8_t> Data;
};

struct TRegFileKey {
  std::wstring Path;  // as written: "HKEY_LOCAL_MACHINE\..."
  std::vector<TRegFileValue> Values;
};

struct TRegFileText {
  std::vector<std::wstring> Comments;  // the lines starting with ";", in order
  std::vector<TRegFileKey> Keys;       // in order
};

// `text` without the byte order mark. Raises EHvGeneralError naming the first line it does not
// understand.
TRegFileText ParseRegFileText(const std::wstring& text);

}  // namespace hv
