#include "HvLXHotSpots.h"

#include <algorithm>
#include <cwctype>

#include "HvLXStrings.h"

namespace hv {
namespace {

const wchar_t kDialText[] = L"Dial";

struct TPatternEntry {
  const wchar_t* pattern;
  const wchar_t* prefix;
};

constexpr TPatternEntry kEmailPatterns[] = {
    {L" mailto:* ", L""}, {L"<mailto:*>", L""}, {L"<*@*>", L"mailto:"}, {L" *@* ", L"mailto:"}};

constexpr TPatternEntry kHttpPatterns[] = {
    {L" evernote:* ", L""}, {L"<evernote:*>", L""}, {L" skype:* ", L""},       {L"<skype:*>", L""},
    {L" callto:* ", L""},   {L"<callto:*>", L""},   {L" tel:* ", L""},         {L"<tel:*>", L""},
    {L" http://* ", L""},   {L"<http://*>", L""},   {L" https://* ", L""},     {L"<https://*>", L""},
    {L" www.* ", L"http://"}, {L"<www.*>", L"http://"}, {L" *.com ", L"http://"}, {L"<*.com>", L"http://"},
    {L" *.net ", L"http://"}, {L"<*.net>", L"http://"}, {L" *.org ", L"http://"}, {L"<*.org>", L"http://"},
    {L" *.gov ", L"http://"}, {L"<*.gov>", L"http://"}, {L" *.edu ", L"http://"}, {L"<*.edu>", L"http://"},
    {L" *.mil ", L"http://"}, {L"<*.mil>", L"http://"}, {L" *.cc ", L"http://"},  {L"<*.cc>", L"http://"},
    {L" ftp://* ", L""},    {L"<ftp://*>", L""},    {L" file://* ", L""},      {L"<file://*>", L""}};

constexpr const wchar_t* kUSAPhones[] = {L" (###) ###-#### ", L" (###)###-#### ", L" ###-###-#### ",
                                         L" ###-#### "};

bool PatternCharMatches(wchar_t c, wchar_t p) {
  if (p == L' ') return c <= L' ' || c == L'(' || c == L')';
  if (p == L'#') return c >= L'0' && c <= L'9';
  if (p == L'*') return c > L' ';
  return c == p || std::towupper(c) == std::towupper(p);
}

std::wstring ReplaceMatchedText(const std::wstring& hint, const std::wstring& matched) {
  std::wstring result;
  for (std::size_t i = 0; i < hint.size(); ++i) {
    if (hint[i] == L'%' && i + 1 < hint.size() && (hint[i + 1] == L's' || hint[i + 1] == L'S')) {
      result += matched;
      ++i;
    } else {
      result += hint[i];
    }
  }
  return result;
}

// Where a "*" of the pattern ends: the first text index from `from` on whose character
// matches `target`. With `stopAtBlank` (the "*" follows a separator, so it stands for one
// word) a character up to U+0020 ends the search; a character inside a link always does, as
// no character of a link may become part of another. The walk asks with growing `from` and
// the links ahead of it do not change, so the answer found last for the same question is
// reused while `from` has not passed it: every character is looked at once per kind of
// search, not once per search, even when the target is never found ("<a@b" without ">").
class TStarEnd {
 public:
  static constexpr std::size_t npos = std::wstring::npos;

  std::size_t Find(const std::wstring& text, const std::vector<unsigned char>& linked, std::size_t from,
                   wchar_t target, bool stopAtBlank) {
    TMemo& memo = MemoFor(target, stopAtBlank);
    if (memo.valid && from >= memo.from && from <= memo.stop) return memo.found ? memo.stop : npos;
    std::size_t t = from;
    bool found = false;
    for (; t < text.size(); ++t) {
      if (linked[t]) break;
      if (PatternCharMatches(text[t], target)) {
        found = true;
        break;
      }
      if (stopAtBlank && text[t] <= L' ') break;
    }
    memo = {true, target, stopAtBlank, from, t, found};
    return found ? t : npos;
  }

 private:
  struct TMemo {
    bool valid = false;
    wchar_t target = 0;
    bool stopAtBlank = false;
    std::size_t from = 0, stop = 0;  // the search from `from` ended at `stop`
    bool found = false;
  };

  // A pattern has a few "*" at most, so a short list is the whole map.
  TMemo& MemoFor(wchar_t target, bool stopAtBlank) {
    for (TMemo& memo : FMemos)
      if (memo.target == target && memo.stopAtBlank == stopAtBlank) return memo;
    FMemos.push_back({false, target, stopAtBlank});
    return FMemos.back();
  }

  std::vector<TMemo> FMemos;
};

}  // namespace

struct THotSpotFinder::TSpot {
  std::wstring prefix, altLink, altHint;
  TColor color;
  TFontStyles style;
};

int FindLinkIndex(const TLinkPosArray& links, int charPosition) {
  for (std::size_t i = 0; i < links.size(); ++i) {
    const TLinkPos& link = links[i];
    if (link.Start <= charPosition && charPosition < link.Start + link.Length - 1) return static_cast<int>(i);
  }
  return -1;
}

std::wstring PlainTextForLinks(std::wstring_view text) {
  std::wstring result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r') {
      result += L'\n';
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

THotSpotFinder::THotSpotFinder(std::wstring_view plainText, TLinkPosArray& links, bool highContrast)
    : FLinks(links), FHighContrast(highContrast) {
  FSearched.reserve(plainText.size() + 2);
  FSearched += L' ';
  FSearched += plainText;
  FSearched += L' ';
  FLinked.assign(FSearched.size(), 0);
  for (const TLinkPos& link : FLinks) {
    // Marks what FindLinkIndex counts: the link without its last character.
    const long long first = std::max<long long>(link.Start, 0);
    const long long end = std::min<long long>(static_cast<long long>(link.Start) + link.Length - 1,
                                              static_cast<long long>(plainText.size()));
    for (long long p = first; p < end; ++p) FLinked[p + 1] = 1;
  }
}

void THotSpotFinder::Append(std::size_t first, std::size_t last, bool literal, const TSpot& spot) {
  TLinkPos link;
  if (literal) {
    link.Start = static_cast<int>(first) - 1;
    link.Length = static_cast<int>(last - first + 1);
  } else {
    link.Start = static_cast<int>(first);
    link.Length = static_cast<int>(last - first + 1) - 2;
  }
  const std::wstring matched = FSearched.substr(link.Start + 1, link.Length);
  link.Link = spot.altLink.empty() ? spot.prefix + matched : spot.altLink;
  link.LinkHint = spot.altHint.empty() ? link.Link : ReplaceMatchedText(spot.altHint, matched);
  link.LinkColor = spot.color;
  link.LinkStyle = spot.style;
  for (int p = link.Start; p < link.Start + link.Length - 1; ++p) FLinked[p + 1] = 1;
  FLinks.push_back(std::move(link));
}

void THotSpotFinder::AddPatternHotSpot(std::wstring pattern, const std::wstring& prefix, const std::wstring& altLink,
                                       const std::wstring& altHint, TColor color, TFontStyles style) {
  if (pattern.empty()) return;
  pattern = PlainTextForLinks(pattern);
  if (pattern.back() == L'*') pattern += L' ';
  if (pattern.front() == L'*') pattern.insert(pattern.begin(), L' ');
  WalkPattern(pattern, {prefix, altLink, altHint, FHighContrast ? clHotLight : color, style});
}

void THotSpotFinder::WalkPattern(const std::wstring& pattern, const TSpot& spot) {
  const std::size_t n = FSearched.size(), last = pattern.size() - 1;
  // The closing separator of one match may open the next ("a@b.c d@e.f" shares the space).
  const bool sharesSeparators = pattern.size() > 1 && pattern.front() == L' ' && pattern.back() == L' ';
  TStarEnd starEnd;
  std::size_t t = 0, j = 0, candidate = 0;
  while (t < n) {
    if (Linked(t) || !PatternCharMatches(FSearched[t], pattern[j])) {
      if (j > 0)
        j = 0;  // the same character may open a new match
      else
        ++t;
      continue;
    }
    if (j == 0) candidate = t;
    if (j == last) {
      Append(candidate, t, false, spot);
      j = 0;
      if (!sharesSeparators) ++t;
      continue;
    }
    ++j;
    if (pattern[j] == L'*' && j < last) {
      // The "*" takes at least the next character; when what follows it is found further
      // on, everything up to there is taken at once.
      const std::size_t end = starEnd.Find(FSearched, FLinked, t + 1, pattern[j + 1], pattern[j - 1] == L' ');
      if (end != TStarEnd::npos && end > t + 1) {
        t = end;
        ++j;
        continue;
      }
    }
    ++t;
  }
}

void THotSpotFinder::AddLiteralHotSpot(std::wstring pattern, const std::wstring& prefix, const std::wstring& altLink,
                                       const std::wstring& altHint, TColor color, TFontStyles style, bool addAll) {
  if (pattern.empty()) return;
  pattern = PlainTextForLinks(pattern);
  const TSpot spot{prefix, altLink, altHint, FHighContrast ? clHotLight : color, style};
  WalkLiteral(pattern, addAll ? 0 : LastFreeOccurrence(pattern), addAll, spot);
}

std::size_t THotSpotFinder::LastFreeOccurrence(const std::wstring& pattern) const {
  // Each search goes on backwards from just before the occurrence it rejected.
  std::size_t from = std::wstring::npos;
  while (true) {
    const std::size_t found = FSearched.rfind(pattern, from);
    if (found == std::wstring::npos) return 0;
    if (!Linked(found)) return found;
    if (found == 0) return 0;
    from = found - 1;
  }
}

void THotSpotFinder::WalkLiteral(const std::wstring& pattern, std::size_t start, bool addAll, const TSpot& spot) {
  // Knuth-Morris-Pratt: a plain left-to-right walk that starts over after a mismatch would
  // miss "aab" in "aaab". A linked character ends every partial match.
  const std::size_t m = pattern.size();
  std::vector<std::size_t> border(m, 0);
  for (std::size_t i = 1, k = 0; i < m; ++i) {
    while (k > 0 && pattern[i] != pattern[k]) k = border[k - 1];
    if (pattern[i] == pattern[k]) ++k;
    border[i] = k;
  }
  std::size_t matched = 0;
  for (std::size_t t = start; t < FSearched.size(); ++t) {
    if (Linked(t)) {
      matched = 0;
      continue;
    }
    while (matched > 0 && FSearched[t] != pattern[matched]) matched = border[matched - 1];
    if (FSearched[t] == pattern[matched]) ++matched;
    if (matched == m) {
      Append(t + 1 - m, t, true, spot);
      if (!addAll) return;
      matched = 0;  // occurrences do not overlap
    }
  }
}

void THotSpotFinder::AddEmailHotSpots(TColor color, TFontStyles style) {
  for (const TPatternEntry& entry : kEmailPatterns)
    AddPatternHotSpot(entry.pattern, entry.prefix, L"", L"", color, style);
}

void THotSpotFinder::AddHttpHotSpots(TColor color, TFontStyles style) {
  for (const TPatternEntry& entry : kHttpPatterns)
    AddPatternHotSpot(entry.pattern, entry.prefix, L"", L"", color, style);
}

void THotSpotFinder::AddPhoneHotSpot(const std::wstring& phone, TColor color, TFontStyles style,
                                     const std::wstring& fullPhone) {
  const std::wstring pattern = L" " + phone + L" ";
  if (fullPhone.empty())
    AddPatternHotSpot(pattern, L"phone:", L"", std::wstring(kDialText) + L" %s", color, style);
  else
    AddPatternHotSpot(pattern, L"", L"phone:" + fullPhone, std::wstring(kDialText) + L" " + fullPhone, color, style);
}

void THotSpotFinder::AddUSAPhoneHotSpots(TColor color, TFontStyles style) {
  for (const wchar_t* phone : kUSAPhones) AddPhoneHotSpot(phone, color, style, L"");
}

}  // namespace hv
