// Operations on any string list: a list in memory, a file-backed one, or a control's
// items. They go through the TStrings interface only, so each list's own IndexOf (and with
// it its case rule and its search) decides what "contains" means.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "HvEncoding.h"
#include "HvStreams.h"
#include "HvStrings.h"

namespace hv {

// --- Files and streams ---
// Loading reads line by line (never the whole text in one block) when the line break is
// CR LF and the encoding is one whose lines can be found block by block; otherwise, or when
// the system reports an insufficient buffer, it loads the whole stream at once. The list's
// encoding becomes the one read (a byte order mark wins over `encoding`; nullptr: ANSI).
void LoadFromStream_Safe(TStrings& list, TStream& stream, const TEncoding* encoding);
void LoadFromFile_Safe(TStrings& list, const std::wstring& fileName, const TEncoding* encoding);
void LoadFromFile(TStrings& list, const std::wstring& fileName, unsigned codePage);
// Writes the mark (when WriteBOM is on) and each line followed by the line break.
// With no encoding: the list's, else UTF-16 little-endian.
void SaveToStream_Safe(const TStrings& list, TStream& stream, const TEncoding* encoding);
void SaveToFile_Safe(const TStrings& list, const std::wstring& fileName, const TEncoding* encoding);
void SaveToFile(TStrings& list, const std::wstring& fileName, unsigned codePage);

// --- Contents ---
std::vector<std::wstring> ToArray(const TStrings& list);
inline std::vector<std::wstring> ToDynArray(const TStrings& list) { return ToArray(list); }
bool Contains(const TStrings& list, const std::wstring& value);
// Removes the first item IndexOf finds; false when there is none.
bool Remove(TStrings& list, const std::wstring& value);
bool RemoveObject(TStrings& list, void* object);
// Same count and, at every index, exactly the same string (case counts) and object.
bool EqualsStringsAndObjects(const TStrings& list, const TStrings& other);

// --- Adding ---
// Adds each string the list does not contain yet (a string repeated in `strings` once).
void AddStringsIfNew(TStrings& list, std::span<const std::wstring> strings);
inline void AddStringsIfNew(TStrings& list, std::initializer_list<std::wstring> strings) {
  AddStringsIfNew(list, std::span(strings.begin(), strings.size()));
}
// The same for another list; an added string keeps its object.
void AddStringsIfNew(TStrings& list, const TStrings& strings);
// Adds `s` unless it is empty (a string of spaces is added).
void Add_IfNotBlank(TStrings& list, const std::wstring& s);
// Splits strings seen once from strings seen more than once: `list` keeps the first,
// `duplicateTracker` gets every occurrence of the second, each with its object.
void AddObject_IfUnique(TStrings& list, const std::wstring& s, void* object, TStrings& duplicateTracker);

// --- Reshaping ---
// Orders name=value items by value (then name), keeping every item and its object.
// A value that contains the name/value separator fails an assertion.
void SortByValues(TStrings& list);
// Trims characters at or below the space from both ends of each string that has them.
void TrimEachString(TStrings& list);
void RemoveEmptyStrings(TStrings& list);
// Moves the items named in `pattern` to the front, in the pattern's order; the others
// follow in their previous order.
void ReorderBasedOn(TStrings& list, std::span<const std::wstring> pattern);
inline void ReorderBasedOn(TStrings& list, std::initializer_list<std::wstring> pattern) {
  ReorderBasedOn(list, std::span(pattern.begin(), pattern.size()));
}
void ReorderBasedOn(TStrings& list, const TStrings& pattern);

}  // namespace hv
