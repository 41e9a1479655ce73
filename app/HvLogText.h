// Text from the registry or the file system on its way into a log, the console or the results
// memo: a value may hold any character, and a line break or another control character in it
// must not start a line of its own or hide part of one.
#pragma once

#include <string>

namespace hv {

// `text` with every control character (U+0000-U+001F, U+007F-U+009F, the line and paragraph
// separators U+2028 and U+2029) written as "<U+000D>" and so on; other characters unchanged.
std::wstring EscapeControlCharacters(const std::wstring& text);

}  // namespace hv
