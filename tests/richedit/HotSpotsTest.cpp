// The hot-spot patterns and the link targets, on plain text: no window needed.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "HvExceptions.h"
#include "HvLXHotSpots.h"
#include "HvLXLinkTargets.h"

using namespace hv;

namespace {

struct Found {
  int start, length;
  std::wstring link;
};

std::vector<Found> Links(const TLinkPosArray& links) {
  std::vector<Found> found;
  for (const TLinkPos& link : links) found.push_back({link.Start, link.Length, link.Link});
  return found;
}

std::wstring Describe(const std::vector<Found>& links) {
  std::wstring text;
  for (const Found& f : links) {
    wchar_t range[32];
    swprintf(range, 32, L"[%d,%d ", f.start, f.length);
    text += range + f.link + L"]";
  }
  return text;
}

using TFamily = std::function<void(THotSpotFinder&)>;

const TFamily kEmail = [](THotSpotFinder& f) { f.AddEmailHotSpots(clBlue, fsUnderline); };
const TFamily kHttp = [](THotSpotFinder& f) { f.AddHttpHotSpots(clBlue, fsUnderline); };
const TFamily kPhones = [](THotSpotFinder& f) { f.AddUSAPhoneHotSpots(clBlue, 0); };
const TFamily kAll = [](THotSpotFinder& f) {
  f.AddEmailHotSpots(clBlue, 0);
  f.AddHttpHotSpots(clBlue, 0);
};

}  // namespace

TEST(HotSpots, EachFamilyFindsItsAddressesAndLinksThemAsExpected) {
  struct Case {
    const wchar_t* text;
    const TFamily* family;
    std::vector<Found> expected;
  } cases[] = {
      // Between two spaces: the address alone, with "mailto:" before it.
      {L"write to joe@example.org today", &kEmail, {{9, 15, L"mailto:joe@example.org"}}},
      {L"mail <joe@example.org> now", &kEmail, {{6, 15, L"mailto:joe@example.org"}}},
      {L"mailto:joe@example.org", &kEmail, {{0, 22, L"mailto:joe@example.org"}}},
      // Two addresses share the space between them.
      {L"a@b.cc d@e.ff", &kEmail, {{0, 6, L"mailto:a@b.cc"}, {7, 6, L"mailto:d@e.ff"}}},
      // A line break counts as one character, as the control counts it.
      {L"first\r\nx@y.com", &kEmail, {{6, 7, L"mailto:x@y.com"}}},
      {L"no at sign here", &kEmail, {}},
      // Parentheses count as separators.
      {L"see (www.example.org) now", &kHttp, {{5, 15, L"http://www.example.org"}}},
      {L"go to https://example.com/a?b=c now", &kHttp, {{6, 25, L"https://example.com/a?b=c"}}},
      {L"visit example.com", &kHttp, {{6, 11, L"http://example.com"}}},
      {L"<ftp://files.example/x>", &kHttp, {{1, 21, L"ftp://files.example/x"}}},
      // An address inside a link already found is not linked again.
      {L" mailto:joe@site.com ", &kAll, {{1, 19, L"mailto:joe@site.com"}}},
      // Telephone numbers need two separators at each end.
      {L"call  555-123-4567  now", &kPhones, {{5, 14, L"phone: 555-123-4567 "}}},
      {L"call 555-123-4567 now", &kPhones, {}},
      {L"call  (555) 123-4567  now", &kPhones, {{5, 16, L"phone: (555) 123-4567 "}}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    TLinkPosArray links;
    THotSpotFinder finder(PlainTextForLinks(c.text), links, false);
    (*c.family)(finder);
    const std::vector<Found> found = Links(links);
    EXPECT_EQ(Describe(found), Describe(c.expected)) << "case " << i;
  }
}

TEST(HotSpots, LiteralsTakeTheLastFreeOccurrenceOrEveryOne) {
  TLinkPosArray links;
  THotSpotFinder finder(L"help, help, help", links, false);
  // The last "help" is taken first; the next literal passes over it to the one before.
  finder.AddLiteralHotSpot(L"help", L"", L"https://example.com/help", L"Open %s (%S)", clRed, fsBold, false);
  finder.AddLiteralHotSpot(L"help", L"", L"", L"", clRed, fsBold, false);
  ASSERT_EQ(links.size(), 2u);
  EXPECT_EQ(links[0].Start, 12);
  EXPECT_EQ(links[0].Link, L"https://example.com/help");
  EXPECT_EQ(links[0].LinkHint, L"Open help (help)");
  EXPECT_EQ(links[1].Start, 6);
  EXPECT_EQ(links[1].Link, L"help");
  EXPECT_EQ(links[1].LinkHint, L"help");

  // A plain walk that starts over after a mismatch would miss "aab" after "aaab".
  TLinkPosArray all;
  THotSpotFinder(L"aaab xaab aab", all, false).AddLiteralHotSpot(L"aab", L"x:", L"", L"", clRed, 0, true);
  EXPECT_EQ(Describe(Links(all)), Describe({{1, 3, L"x:aab"}, {6, 3, L"x:aab"}, {10, 3, L"x:aab"}}));
}

TEST(HotSpots, LinkIndexLeavesOutTheLastCharacterAndHighContrastTakesTheHotLight) {
  TLinkPosArray links;
  THotSpotFinder(L"mail joe@example.org", links, true).AddEmailHotSpots(clRed, fsBold);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0].LinkColor, clHotLight);
  EXPECT_EQ(FindLinkIndex(links, 4), -1);
  EXPECT_EQ(FindLinkIndex(links, 5), 0);
  EXPECT_EQ(FindLinkIndex(links, 5 + 15 - 2), 0);
  EXPECT_EQ(FindLinkIndex(links, 5 + 15 - 1), -1) << "the link's last character";
}

TEST(LinkTargets, NormalisingAddsTheSchemeABareAddressLacks) {
  struct Case {
    const wchar_t* text;
    const wchar_t* expected;
  } cases[] = {
      {L"joe@example.org", L"mailto:joe@example.org"},
      {L"<joe@example.org>", L"mailto:<joe@example.org>"},
      {L"www.example.de", L"http://www.example.de"},
      {L"<example.com>", L"http://<example.com>"},
      {L"news:joe@example.org", L"news:joe@example.org"},
      {L"just text", L"just text"},
  };
  for (const Case& c : cases) EXPECT_EQ(NormalizeLinkText(c.text), c.expected) << c.text;
}

TEST(LinkTargets, QuotesAndControlCharactersAreRefusedAndShownVisibly) {
  struct Case {
    std::wstring target;
    const wchar_t* shown;  // nullptr: accepted
  } cases[] = {
      {L"http://example.com/a%22b", nullptr},
      {L"http://example.com/\u00e9t\u00e9", nullptr},
      {L"http://example.com/\" --run", L"http://example.com/<U+0022> --run"},
      {L"file:///C:/x.txt\r\ncalc", L"file:///C:/x.txt<U+000D><U+000A>calc"},
      {L"http://example.com/\u202Etxt.exe", L"http://example.com/<U+202E>txt.exe"},
      {std::wstring(L"http://a\0b", 10), L"http://a<U+0000>b"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    if (!c.shown) {
      EXPECT_NO_THROW(CheckLinkTarget(c.target)) << "case " << i;
      continue;
    }
    try {
      CheckLinkTarget(c.target);
      ADD_FAILURE() << "case " << i << " was accepted";
    } catch (const EHvGeneralError& e) {
      EXPECT_NE(e.Message().find(L"quotation marks or control characters"), std::wstring::npos) << "case " << i;
      EXPECT_NE(e.Message().find(c.shown), std::wstring::npos) << "case " << i;
    }
  }
}

TEST(LinkTargets, ProgramsAndAddressesThatReadOtherwiseNeedCaution) {
  struct Case {
    const wchar_t* display;
    const wchar_t* target;
    bool caution;
  } cases[] = {
      {L"http://example.com", L"http://example.com", false},
      {L"joe@example.org", L"mailto:joe@example.org", false},
      {L"Click here", L"https://example.com/help", false},
      {L"www.good.example", L"http://evil.example", true},
      {L"https://bank.example", L"https://bank.example.evil.example", true},
      {L"report", L"file:///C:/Windows/notepad.exe", true},
      {L"report", L"FILE:///C:/x/setup.MSI?x=1", true},
      {L"report", L"C:\\tools\\run.bat", true},
      {L"report", L"file:///C:/docs/report.pdf", false},
      {L"shop", L"https://example.com/setup.exe", false},  // the browser downloads, it does not run
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(!LinkCaution(cases[i].display, cases[i].target).empty(), cases[i].caution) << "case " << i;
}

// The shell decodes a file link before it runs it, and drops what follows a file's name: every
// spelling of a program needs the caution, whatever the extension hides behind.
TEST(LinkTargets, EverySpellingOfAProgramNeedsTheCaution) {
  const wchar_t* programs[] = {
      L"file:///C:/Windows/notepad.ex%65",
      L"file:///C:/Windows/notepad%2Eexe",
      L"file:///C:/Windows/notepad.%45%58%45",
      L"file:///C:/Windows/notepad.ex%2565",  // escaped twice
      L"file:///C:/x/run.exe.",
      L"file:///C:/x/run.exe%20%20",
      L"file:///C:/x/run.exe%2F",
      L"file:///C:/x/a#b.exe",  // "#" can be part of a name
      L"C:\\x\\run.exe::$DATA",
      L"file:///C:/x/help.chm",
      L"file:///C:/x/tool.application",
      L"file:///C:/x/tool.appref-ms",
      L"file:///C:/x/a.settingcontent-ms",
      L"file:///C:/x/a.library-ms",
      L"file:///C:/x/a.search-ms",
      L"file:///C:/x/a.searchconnector-ms",
      L"file:///C:/x/a.cab",
      L"file:///C:/x/disk.iso",
      L"file:///C:/x/disk.IMG",
      L"file:///C:/x/disk.vhd",
      L"file:///C:/x/disk.vhdx",
      L"file:///C:/x/console.msc",
      L"file:///C:/x/app.jar",
      L"file:///C:/x/short.lnk",
      L"file:///C:/x/site.url",
      L"file:///C:/x/site.website",
      L"file:///C:/x/remote.rdp",
      L"file:///C:/x/package.msix",
      L"file://server/share/setup.exe",
      L"\\\\server\\share\\script.ps1",
  };
  for (const wchar_t* target : programs)
    EXPECT_NE(LinkCaution(L"report", target).find(L"starts a program"), std::wstring::npos) << target;
  const wchar_t* documents[] = {L"file:///C:/docs/report.pdf", L"file:///C:/docs/exe.txt", L"file:///C:/docs/a%2Eexe.txt",
                                L"file:///C:/docs/100%25.txt", L"file:///C:/docs/%ZZ.txt"};
  for (const wchar_t* target : documents) EXPECT_EQ(LinkCaution(L"report", target), L"") << target;
}
