#include "HvLXStrings.h"

#include <climits>

#include "HvStrings.h"
#include "HvWindows.h"

namespace hv {

std::wstring UpperCaseLX(std::wstring_view text) {
  std::wstring upper(text);
  if (upper.empty()) return upper;
  // In place and length-preserving, so positions found in the upper-case text hold for the
  // original.
  CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
  return upper;
}

bool SameTextOrdinal(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  // Beyond what the system call takes a length for.
  if (a.size() > static_cast<std::size_t>(INT_MAX)) return UpperCaseLX(a) == UpperCaseLX(b);
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

bool SameTextLocale(std::wstring_view a, std::wstring_view b) { return AnsiCompareText(a, b) == 0; }

bool SameTextLX(std::wstring_view a, std::wstring_view b) { return SameTextOrdinal(a, b); }

bool StartsStrLX(std::wstring_view prefix, std::wstring_view text) { return text.starts_with(prefix); }
bool EndsStrLX(std::wstring_view suffix, std::wstring_view text) { return text.ends_with(suffix); }

bool StartsTextLX(std::wstring_view prefix, std::wstring_view text) {
  return prefix.size() <= text.size() && SameTextLX(prefix, text.substr(0, prefix.size()));
}

bool EndsTextLX(std::wstring_view suffix, std::wstring_view text) {
  return suffix.size() <= text.size() && SameTextLX(suffix, text.substr(text.size() - suffix.size()));
}

bool ContainsStrLX(std::wstring_view text, std::wstring_view sub) {
  return !sub.empty() && text.find(sub) != std::wstring_view::npos;
}

bool ContainsTextLX(std::wstring_view text, std::wstring_view sub) { return PosTextLX(sub, text) != 0; }

int PosTextLX(std::wstring_view sub, std::wstring_view text) {
  if (sub.empty()) return 0;
  auto at = UpperCaseLX(text).find(UpperCaseLX(sub));
  return at == std::wstring::npos ? 0 : static_cast<int>(at) + 1;
}

int LastPosLX(std::wstring_view sub, std::wstring_view text) {
  if (sub.empty()) return 0;
  auto at = text.rfind(sub);
  return at == std::wstring_view::npos ? 0 : static_cast<int>(at) + 1;
}

wchar_t FirstCharLX(std::wstring_view text) { return text.empty() ? L'\0' : text.front(); }
wchar_t LastCharLX(std::wstring_view text) { return text.empty() ? L'\0' : text.back(); }

std::wstring TrimLX(std::wstring_view text) {
  std::size_t first = 0, last = text.size();
  while (first < last && text[first] <= L' ') ++first;
  while (last > first && text[last - 1] <= L' ') --last;
  return std::wstring(text.substr(first, last - first));
}

std::vector<std::wstring> SplitLX(std::wstring_view text, std::wstring_view delimiter, bool removeEmpty) {
  std::vector<std::wstring> items;
  if (text.empty()) return items;
  if (delimiter.empty()) return {std::wstring(text)};
  std::size_t start = 0;
  while (true) {
    std::size_t at = text.find(delimiter, start);
    std::wstring_view item = text.substr(start, at == std::wstring_view::npos ? std::wstring_view::npos : at - start);
    if (!removeEmpty || !item.empty()) items.emplace_back(item);
    if (at == std::wstring_view::npos) break;
    start = at + delimiter.size();
  }
  return items;
}

std::vector<std::wstring> SplitTrimmedLX(std::wstring_view text, std::wstring_view delimiter) {
  std::vector<std::wstring> items;
  for (const std::wstring& item : SplitLX(text, delimiter)) {
    std::wstring trimmed = TrimLX(item);
    if (!trimmed.empty()) items.push_back(std::move(trimmed));
  }
  return items;
}

bool IsRichTextLX(std::wstring_view text) {
  std::wstring_view head = text.substr(0, 6);
  return StartsTextLX(L"{\\RTF", head) || StartsTextLX(L"{URTF", head) || StartsTextLX(L"{\\URTF", head);
}

}  // namespace hv
