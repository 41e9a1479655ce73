// The one conversion between 8-bit text of a code page and UTF-16 that the library uses.
// Invalid bytes are replaced, never rejected: text read from files and the registry must not
// vanish because one byte is wrong.
#pragma once

#include <string>
#include <string_view>

#include "HvWindows.h"

namespace hv {

// Raises EOSError (last error) when non-empty input converts to nothing.
std::wstring MultiByteToWideLX(std::string_view text, UINT codePage = CP_ACP);
// Unpaired surrogates become the code page's replacement character.
std::string WideToMultiByteLX(std::wstring_view text, UINT codePage = CP_ACP);

}  // namespace hv
