// Hot spots found in plain text by simple patterns: e-mail addresses, web and other
// addresses, telephone numbers and literal texts, each remembered with a target and a hint.
// Plain text logic only, so it works the same with or without a rich edit window.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "HvColors.h"
#include "HvWindows.h"

namespace hv {

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

// One hot spot: `Start` is the 0-based position in the control's plain text with each line
// break counted as one character.
struct TLinkPos {
  int Start = 0;
  int Length = 0;
  std::wstring Link;
  std::wstring LinkHint;
  TColor LinkColor = clBlue;
  TFontStyles LinkStyle = 0;
};
using TLinkPosArray = std::vector<TLinkPos>;

// The system's hot-light colour, which every new hot spot gets in high-contrast mode.
inline constexpr TColor clHotLight = clSystemColor | COLOR_HOTLIGHT;

// The first link with Start <= position < Start + Length - 1 (a link's last character does
// not count), or -1.
int FindLinkIndex(const TLinkPosArray& links, int charPosition);

// Plain text as the matcher reads it: every CR LF and every lone CR becomes one LF, which is
// how the control counts a line break.
std::wstring PlainTextForLinks(std::wstring_view text);

// Finds hot spots in one text and appends them to `links`. Parts of the text already inside a
// link never become part of another. Each search takes time linear in the text's length.
class THotSpotFinder {
 public:
  // `plainText` with line breaks as single LF (PlainTextForLinks). With `highContrast` every
  // new hot spot is coloured clHotLight.
  THotSpotFinder(std::wstring_view plainText, TLinkPosArray& links, bool highContrast);

  // A non-literal pattern: " " matches any character up to U+0020 and "(" and ")", "#" a
  // digit, "*" a run of characters above U+0020, anything else itself in any case. The
  // separators matched at either end are not part of the link. An empty AltLink or AltHint
  // is not given; "%s" in AltHint stands for the matched text.
  void AddPatternHotSpot(std::wstring pattern, const std::wstring& prefix, const std::wstring& altLink,
                         const std::wstring& altHint, TColor color, TFontStyles style);
  // A literal text, matched exactly. Without `addAll` only its last occurrence that does not
  // start inside a link becomes a hot spot.
  void AddLiteralHotSpot(std::wstring pattern, const std::wstring& prefix, const std::wstring& altLink,
                         const std::wstring& altHint, TColor color, TFontStyles style, bool addAll);

  void AddEmailHotSpots(TColor color, TFontStyles style);
  void AddHttpHotSpots(TColor color, TFontStyles style);
  // `phone` is a pattern such as " (###) ###-#### "; with `fullPhone` the link dials that
  // number, otherwise the matched text.
  void AddPhoneHotSpot(const std::wstring& phone, TColor color, TFontStyles style, const std::wstring& fullPhone);
  void AddUSAPhoneHotSpots(TColor color, TFontStyles style);

 private:
  struct TSpot;
  // Searched text index t stands for control position t - 1 (a space is put at each end).
  bool Linked(std::size_t t) const { return FLinked[t] != 0; }
  void Append(std::size_t first, std::size_t last, bool literal, const TSpot& spot);
  void WalkPattern(const std::wstring& pattern, const TSpot& spot);
  void WalkLiteral(const std::wstring& pattern, std::size_t start, bool addAll, const TSpot& spot);
  std::size_t LastFreeOccurrence(const std::wstring& pattern) const;

  std::wstring FSearched;
  std::vector<unsigned char> FLinked;  // per searched index
  TLinkPosArray& FLinks;
  bool FHighContrast;
};

}  // namespace hv
