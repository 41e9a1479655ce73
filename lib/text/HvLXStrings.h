// String tests used throughout the library. The case-insensitive ones compare the user
// locale's upper-case forms. Argument order follows the long-standing runtime functions:
// Starts/Ends/Pos take the part first, Contains takes the whole text first.
// An empty part is a prefix and a suffix of every text, but is never "contained" or found
// by Pos (which then answers 0).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hv {

std::wstring UpperCaseLX(std::wstring_view text);
bool SameTextLX(std::wstring_view a, std::wstring_view b);

bool StartsStrLX(std::wstring_view prefix, std::wstring_view text);
bool EndsStrLX(std::wstring_view suffix, std::wstring_view text);
bool StartsTextLX(std::wstring_view prefix, std::wstring_view text);
bool EndsTextLX(std::wstring_view suffix, std::wstring_view text);
bool ContainsStrLX(std::wstring_view text, std::wstring_view sub);
bool ContainsTextLX(std::wstring_view text, std::wstring_view sub);
// 1-based position, 0 when absent.
int PosTextLX(std::wstring_view sub, std::wstring_view text);
// 1-based position of the last occurrence (case-sensitive), 0 when absent.
int LastPosLX(std::wstring_view sub, std::wstring_view text);
// The NUL character for an empty text.
wchar_t FirstCharLX(std::wstring_view text);
wchar_t LastCharLX(std::wstring_view text);

// Removes leading and trailing blanks and control characters.
std::wstring TrimLX(std::wstring_view text);

// Splits at every occurrence of `delimiter` and only there. An empty text holds no items;
// an empty delimiter leaves the text whole.
std::vector<std::wstring> SplitLX(std::wstring_view text, std::wstring_view delimiter, bool removeEmpty = false);
// Split, every item trimmed, empty items dropped.
std::vector<std::wstring> SplitTrimmedLX(std::wstring_view text, std::wstring_view delimiter);

// Whether the text starts like rich text ("{\rtf", "{urtf" or "{\urtf" in any case).
bool IsRichTextLX(std::wstring_view text);

}  // namespace hv
