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

// Case-insensitive equality in the two senses the program needs; pick by what the texts are.
// Ordinal: unit by unit against upper-case forms, no language rules, as the file system
// compares names: for paths, identities and other names the system defines.
bool SameTextOrdinal(std::wstring_view a, std::wstring_view b);
// Locale: the user locale's collation with case ignored, where "straße" equals "STRASSE" and
// an accented letter equals the same letter written with a combining accent: for texts the
// user reads or types (list entries, product and font names).
bool SameTextLocale(std::wstring_view a, std::wstring_view b);
// The library's long-standing name for the ordinal comparison.
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
