// Booleans as words. Written as "True" and "False"; read from "True"/"Yes" and "False"/"No"
// in any case, or from an integer (0 is false, anything else true).
#pragma once

#include <string>
#include <string_view>

namespace hv {

std::wstring BoolToStrLX(bool value);
// False when the text is none of the accepted forms; `value` is then left alone.
bool TryStrToBoolLX(std::wstring_view text, bool& value);
// Raises EConvertError "'%s' is not a valid boolean value" for any other text.
bool StrToBoolLX(std::wstring_view text);

}  // namespace hv
