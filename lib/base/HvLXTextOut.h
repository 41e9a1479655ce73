// The one writer of program text to an output handle; every console writer of the library
// goes through it, so that text reaches a console, a file and a pipe the same way.
#pragma once

#include <string_view>

#include "HvWindows.h"

namespace hv {

// Writes all of `text` to `output`. A console takes it as UTF-16, so no character is lost to
// the console's code page; a file or pipe gets it in bytes of `codePage`, through the one
// 8-bit conversion (WideToMultiByteLX). False, with the last error set, when there is no
// handle or it refuses a write.
bool WriteTextLX(HANDLE output, std::wstring_view text, UINT codePage);

}  // namespace hv
