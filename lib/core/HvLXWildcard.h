// File-name style wildcard matching without regard to case: "*" stands for any run of
// characters, "[*]" for a literal asterisk. There is no "?".
#pragma once

#include <string_view>

namespace hv {

bool WildcardMatchLX(std::wstring_view pattern, std::wstring_view text);

}  // namespace hv
