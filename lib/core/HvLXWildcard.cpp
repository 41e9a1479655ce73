#include "HvLXWildcard.h"

#include <string>
#include <vector>

#include "HvLXStrings.h"

namespace hv {
namespace {

// Stands in for "[*]" while the pattern is cut at its real asterisks.
constexpr std::wstring_view kLiteralStar = L"D5DCA77C-E9F9-40F6-90D6-81D6FDB88984";

std::wstring ReplaceAll(std::wstring text, std::wstring_view from, std::wstring_view to) {
  for (std::size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

}  // namespace

bool WildcardMatchLX(std::wstring_view pattern, std::wstring_view text) {
  if (pattern == L"*") return true;
  if (pattern.empty()) return text.empty();

  std::wstring marked = ReplaceAll(std::wstring(pattern), L"[*]", kLiteralStar);
  if (marked.find(L'*') == std::wstring::npos) return SameTextLX(ReplaceAll(marked, kLiteralStar, L"*"), text);

  bool anyStart = marked.front() == L'*';
  bool anyEnd = marked.back() == L'*';
  std::wstring_view inner = marked;
  if (anyStart) inner.remove_prefix(1);
  if (anyEnd && !inner.empty()) inner.remove_suffix(1);

  std::vector<std::wstring> pieces;
  for (std::wstring& piece : SplitLX(inner, L"*", true)) pieces.push_back(UpperCaseLX(ReplaceAll(piece, kLiteralStar, L"*")));

  std::wstring rest = UpperCaseLX(text);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const std::wstring& piece = pieces[i];
    if (i == 0 && !anyStart && !rest.starts_with(piece)) return false;
    if (i + 1 == pieces.size() && !anyEnd && !rest.ends_with(piece)) return false;
    std::size_t at = rest.find(piece);
    if (at == std::wstring::npos) return false;
    rest.erase(0, at + piece.size());
  }
  return true;
}

}  // namespace hv
