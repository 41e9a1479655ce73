// The "%XX" escapes of addresses.
#pragma once

#include <string>
#include <string_view>

namespace hv {

// `text` with every "%XX" (two hexadecimal digits) read as a byte of UTF-8; a "%" without two
// digits after it stays as written, and so do bytes that are no UTF-8 (as U+FFFD).
std::wstring PercentDecodedLX(std::wstring_view text);

}  // namespace hv
