#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HvExceptions.h"
#include "HvLXBoolText.h"
#include "HvLXCodePage.h"
#include "HvLXStrings.h"
#include "HvLXWildcard.h"

namespace {

using Items = std::vector<std::wstring>;

TEST(WildcardMatch, Cases) {
  struct Case {
    const wchar_t* pattern;
    const wchar_t* text;
    bool match;
  };
  const Case cases[] = {
      {L"*", L"", true},
      {L"*", L"anything", true},
      {L"", L"", true},
      {L"", L"a", false},
      {L"*.TXT", L"a.txt", true},
      {L"*.txt", L"a.txt.bak", false},
      {L"a*c", L"abc", true},
      {L"a*c", L"abd", false},
      {L"a*c", L"ac", true},
      {L"ab*ba", L"aba", false},  // the two pieces may not share characters
      {L"a*b*b", L"abXb", true},
      {L"*ab", L"abab", true},
      {L"readme", L"README", true},
      {L"readme", L"readme.txt", false},
      {L"a[*]c", L"a*c", true},
      {L"a[*]c", L"abc", false},
      {L"*[*]*", L"x*y", true},
      {L"*[*]*", L"xy", false},
      {L"[*]*", L"*.txt", true},
      {L"**", L"x", true},
      {L"Setup*.EXE", L"setup-1.2.exe", true},
      {L"*mid*", L"a MID b", true},
      {L"*mid*", L"a mi d", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(hv::WildcardMatchLX(c.pattern, c.text), c.match) << "pattern \"" << testing::PrintToString(std::wstring(c.pattern))
                                                               << "\" text " << testing::PrintToString(std::wstring(c.text));
}

TEST(Split, CutsOnlyAtTheDelimiter) {
  struct Case {
    const wchar_t* text;
    const wchar_t* delimiter;
    bool removeEmpty;
    Items expected;
  };
  const Case cases[] = {
      {L"a,b,,c,", L",", false, {L"a", L"b", L"", L"c", L""}},
      {L"a,b,,c,", L",", true, {L"a", L"b", L"c"}},
      {L"a b;c", L";", false, {L"a b", L"c"}},
      {L"one::two::", L"::", false, {L"one", L"two", L""}},
      {L"", L",", false, {}},
      {L"abc", L"", false, {L"abc"}},
      {L",", L",", true, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(hv::SplitLX(c.text, c.delimiter, c.removeEmpty), c.expected) << testing::PrintToString(std::wstring(c.text));

  EXPECT_EQ(hv::SplitTrimmedLX(L" a ;\tb\t;  ; c", L";"), (Items{L"a", L"b", L"c"}));
}

// The two comparisons part ways exactly where language rules go beyond upper-casing; a caller
// moved to the wrong one shows up on these rows.
TEST(StringTests, OrdinalAndLocaleComparisons) {
  struct Case {
    const wchar_t* a;
    const wchar_t* b;
    bool ordinal;
    bool locale;
  };
  const Case cases[] = {
      {L"Setup.EXE", L"setup.exe", true, true},
      {L"\u00c4rger", L"\u00e4RGER", true, true},          // accented letters have upper-case forms
      {L"stra\u00dfe", L"STRASSE", false, true},           // sharp s against its expansion
      {L"caf\u00e9", L"cafe\u0301", false, true},         // one character or letter + combining accent
      {L"ab", L"a\u00adb", false, true},                   // a soft hyphen weighs nothing in the locale
      {L"cafe", L"caf\u00e9", false, false},               // the accent itself still counts
      {L"i", L"\u0130", false, false},                     // dotted capital I is no plain I
      {L"abc", L"abcd", false, false},
      {L"", L"", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << (&c - cases));
    EXPECT_EQ(hv::SameTextOrdinal(c.a, c.b), c.ordinal);
    EXPECT_EQ(hv::SameTextOrdinal(c.b, c.a), c.ordinal);
    EXPECT_EQ(hv::SameTextLocale(c.a, c.b), c.locale);
    EXPECT_EQ(hv::SameTextLocale(c.b, c.a), c.locale);
    EXPECT_EQ(hv::SameTextLX(c.a, c.b), c.ordinal);  // the long-standing name is the ordinal one
  }
}

TEST(StringTests, PrefixSuffixAndPositions) {
  EXPECT_TRUE(hv::StartsStrLX(L"Ab", L"Abc"));
  EXPECT_FALSE(hv::StartsStrLX(L"ab", L"Abc"));
  EXPECT_TRUE(hv::StartsTextLX(L"ab", L"Abc"));
  EXPECT_FALSE(hv::StartsTextLX(L"abcd", L"abc"));
  EXPECT_TRUE(hv::EndsStrLX(L"bc", L"abc"));
  EXPECT_FALSE(hv::EndsStrLX(L"BC", L"abc"));
  EXPECT_TRUE(hv::EndsTextLX(L"BC", L"abc"));
  EXPECT_TRUE(hv::StartsTextLX(L"ÄB", L"äbc"));  // beyond ASCII

  EXPECT_TRUE(hv::ContainsStrLX(L"abcd", L"bc"));
  EXPECT_FALSE(hv::ContainsStrLX(L"abcd", L"BC"));
  EXPECT_TRUE(hv::ContainsTextLX(L"abcd", L"BC"));
  EXPECT_FALSE(hv::ContainsTextLX(L"abcd", L""));

  EXPECT_EQ(hv::PosTextLX(L"B", L"abcb"), 2);
  EXPECT_EQ(hv::PosTextLX(L"x", L"abc"), 0);
  EXPECT_EQ(hv::LastPosLX(L"b", L"abcb"), 4);
  EXPECT_EQ(hv::LastPosLX(L"B", L"abcb"), 0);
  EXPECT_EQ(hv::LastPosLX(L"", L"abc"), 0);

  EXPECT_EQ(hv::FirstCharLX(L"xyz"), L'x');
  EXPECT_EQ(hv::LastCharLX(L"xyz"), L'z');
  EXPECT_EQ(hv::FirstCharLX(L""), L'\0');
  EXPECT_EQ(hv::LastCharLX(L""), L'\0');
}

TEST(StringTests, IsRichText) {
  struct Case {
    const wchar_t* text;
    bool rich;
  };
  const Case cases[] = {
      {L"{\\rtf1\\ansi x}", true}, {L"{\\RTF1", true},  {L"{\\Rtf", true}, {L"{urtf1", true}, {L"{\\urtf1", true},
      {L" {\\rtf1", false},        {L"{rtf1", false}, {L"", false},     {L"{\\rt", false},
  };
  for (const Case& c : cases) EXPECT_EQ(hv::IsRichTextLX(c.text), c.rich) << testing::PrintToString(std::wstring(c.text));
}

TEST(BoolText, WordsAndNumbersInAnyCase) {
  EXPECT_EQ(hv::BoolToStrLX(true), L"True");
  EXPECT_EQ(hv::BoolToStrLX(false), L"False");
  struct Case {
    const wchar_t* text;
    bool value;
  };
  const Case cases[] = {{L"True", true}, {L"yes", true}, {L"TRUE", true}, {L"-1", true},
                        {L"false", false}, {L"NO", false}, {L"0", false}};
  for (const Case& c : cases) EXPECT_EQ(hv::StrToBoolLX(c.text), c.value) << testing::PrintToString(std::wstring(c.text));

  for (const wchar_t* bad : {L"", L"maybe", L"Yes ", L" 1", L"1x"}) {
    bool value = true;
    EXPECT_FALSE(hv::TryStrToBoolLX(bad, value)) << testing::PrintToString(std::wstring(bad));
    EXPECT_TRUE(value);
  }
  try {
    hv::StrToBoolLX(L"maybe");
    FAIL();
  } catch (const hv::EConvertError& e) {
    EXPECT_EQ(e.Message(), L"'maybe' is not a valid boolean value");
  }
}

TEST(CodePage, InvalidBytesAreReplacedNotRejected) {
  EXPECT_EQ(hv::MultiByteToWideLX("ok\xFFgo", CP_UTF8), L"ok\uFFFDgo");
  EXPECT_EQ(hv::MultiByteToWideLX("Gr\xC3\xBC\xC3\x9F" "e", CP_UTF8), L"Grüße");
  EXPECT_EQ(hv::MultiByteToWideLX("caf\xE9", 1252), L"café");
  EXPECT_EQ(hv::MultiByteToWideLX("", 1252), L"");
  EXPECT_EQ(hv::WideToMultiByteLX(L"Grüße", CP_UTF8), "Gr\xC3\xBC\xC3\x9F" "e");
}

TEST(CodePage, NothingConvertedRaisesTheSystemError) {
  try {
    hv::MultiByteToWideLX("abc", 4711);  // no such code page
    FAIL();
  } catch (const hv::EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), static_cast<std::uint32_t>(ERROR_INVALID_PARAMETER));
  }
}

}  // namespace
