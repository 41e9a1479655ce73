// The rich edit in a shown form, driven with real mouse input: the link hint and hand cursor
// over a link, the confirmation that names what a click opens, the shell open behind it (the
// shell's answer comes from the seam, so nothing starts), styling, zoom and rich text.
#include <gtest/gtest.h>

#include <richedit.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "EventLogFolder.h"
#include "FormsTestSupport.h"
#include "HvApplication.h"
#include "HvForms.h"
#include "HvLXHost.h"
#include "HvLXRegistry.h"
#include "HvLXCursors.h"
#include "HvLXRichEdits.h"
#include "HvLXShellOpen.h"
#include "HvLXVclUtils.h"
#include "HvRichTextHooks.h"
#include "HvStringList.h"

#include <commctrl.h>

using namespace hv;

namespace {

const wchar_t kTitle[] = L"Rich Edit Test";

struct ShellCall {
  std::wstring verb, file;
};
std::vector<ShellCall> gShellCalls;

INT_PTR RecordShellExecute(HWND, const std::wstring& verb, const std::wstring& file, const std::wstring&,
                           const std::wstring&, int) {
  gShellCalls.push_back({verb, file});
  return 42;  // above 32: done
}

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// Makes a control one that does not hand out its object model (as one of an older system would
// not). A function of its own: the subclass procedure is a stdcall one, which no lambda becomes
// in the 32-bit build.
LRESULT CALLBACK RefuseObjectModel(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (msg == EM_GETOLEINTERFACE) return 0;
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

class RichEditTest : public EventLogFolderTest {
 protected:
  void SetUp() override {
    Application().SetTitle(kTitle);
    gShellCalls.clear();
    FForm.reset(TForm::Create<TForm>(nullptr));
    FForm->SetCaption(L"Rich edit with links");
    FForm->SetClientSize96(520, 200);
    Edit = FForm->Add<THvRichEditLX>(L"Edit", {8, 8, 504, 184});
    // The question box belongs to the main form, which gets the activation back when it
    // closes, as in a program; an ownerless box left no window active for the next click.
    Application().SetMainForm(FForm.get());
    FForm->Show();
    hvtest::Pump();
  }
  void TearDown() override {
    Application().SetMainForm(nullptr);
    FForm.reset();
  }

  // A screen point on the character at `position`, where a user would point at it.
  POINT PointOn(int position) const {
    POINTL at{};
    SendMessageW(Edit->Handle(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), position);
    POINT point{at.x + 3, at.y + Edit->FontPixelHeight() / 2 + 1};
    ClientToScreen(Edit->Handle(), &point);
    return point;
  }

  void Hover(int position) {
    hvtest::MovePointerTo(PointOn(position));
    for (int i = 0; i < 30 && !Edit->HintWindow().Showing(); ++i) {
      Sleep(10);
      hvtest::Pump();
    }
  }

  // Clicks the character at `position` and answers the question with `answer`; the texts of
  // the boxes shown.
  std::vector<std::wstring> Click(int position, int answer) {
    Hover(position);
    hvtest::MessageBoxDismisser boxes(kTitle, answer);
    hvtest::ClickLeftButton();
    return boxes.Texts;
  }

  CHARFORMAT2W FormatAt(int position) const {
    CHARRANGE saved{};
    SendMessageW(Edit->Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    CHARRANGE one{position, position + 1};
    SendMessageW(Edit->Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&one));
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    SendMessageW(Edit->Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageW(Edit->Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    return format;
  }

  int ReportsOfObjectModelFailure() const {
    int count = 0;
    for (const std::wstring& name : FileNames()) {
      THvStringList lines;
      lines.LoadFromFile(Folder() + name);
      if (Contains(lines.Text(), L"Could not use ITextDocument to format RichEdit.")) ++count;
    }
    return count;
  }

  std::unique_ptr<TForm> FForm;
  THvRichEditLX* Edit = nullptr;
  ScopedShellExecute FShell{&RecordShellExecute};
  // The shell open asks a Wine host whether it is a Mac, through a host script that needs the
  // host's temporary folder, which the scratch data folder of the event log is not.
  ScopedHostPins FNoMac{{.mac = false}};
};

const HCURSOR kHand = LoadCursorW(nullptr, IDC_HAND);

}  // namespace

TEST_F(RichEditTest, PointingAtADetectedAddressShowsItWithTheHandAndClickingOpensItOnlyWhenAgreed) {
  Edit->SetText(L"Visit http://example.com/page today.\r\nNothing to see on this line.");
  Edit->SetHint(L"the edit's own hint");
  Hover(10);
  EXPECT_TRUE(Edit->HintWindow().Showing());
  EXPECT_TRUE(IsWindowVisible(Edit->HintWindow().Handle()));
  EXPECT_EQ(Edit->Hint(), L"http://example.com/page");
  EXPECT_EQ(GetCursor(), kHand);

  // Moves off the link, then once more past the time a hint is held between two reports of
  // a link (the first move may still come within it).
  Hover(50);
  Sleep(150);
  Hover(52);
  EXPECT_FALSE(Edit->HintWindow().Showing());
  EXPECT_EQ(Edit->Hint(), L"the edit's own hint");
  EXPECT_NE(GetCursor(), kHand);

  // Each click at another character of the link, so that two are never a double click.
  for (int answer : {IDNO, IDCANCEL}) {
    const std::vector<std::wstring> boxes = Click(answer == IDNO ? 10 : 14, answer);
    ASSERT_EQ(boxes.size(), 1u) << answer;
    EXPECT_EQ(boxes[0],
              L"This action will cause your Web browser to connect to the Internet.\r\nDo you want to proceed?"
              L"\r\n\r\nhttp://example.com/page")
        << "the question, naming the link";
  }
  EXPECT_TRUE(gShellCalls.empty());
  EXPECT_EQ(Click(18, IDYES).size(), 1u);
  ASSERT_EQ(gShellCalls.size(), 1u);
  EXPECT_EQ(gShellCalls[0].verb, L"open");
  EXPECT_EQ(gShellCalls[0].file, L"http://example.com/page");
}

TEST_F(RichEditTest, AHotSpotOpensItsTargetAndOneThatDeceivesIsOpenedOnlyWithACaution) {
  Edit->SetText(L"Click here for help.\r\nOr see www.good.example for more.\r\nThe tool: report");
  TRichEditLinks& links = *Edit->FLinkHelper;
  links.AddLiteralHotSpot(L"Click here", L"", L"https://example.com/help", L"", clBlue, fsUnderline, false);
  links.AddLiteralHotSpot(L"www.good.example", L"", L"http://evil.example/", L"", clBlue, fsUnderline, false);
  links.AddLiteralHotSpot(L"report", L"", L"file:///C:/windows/notepad.exe", L"", clBlue, fsUnderline, false);
  links.Apply_CFE_LINK_StyleToAllLinks();
  EXPECT_FALSE(links.SelectionChangeInProcess());
  struct Case {
    int position;
    const wchar_t* target;
    const wchar_t* caution;  // nullptr: none
  } cases[] = {
      {2, L"https://example.com/help", nullptr},
      {30, L"http://evil.example/", L"reads \"www.good.example\" but opens another address"},
      {67, L"file:///C:/windows/notepad.exe", L"starts a program"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    gShellCalls.clear();
    Hover(c.position);
    EXPECT_EQ(Edit->Hint(), c.target) << "case " << i;
    const std::vector<std::wstring> boxes = Click(c.position, IDYES);
    ASSERT_EQ(boxes.size(), 1u) << "case " << i;
    EXPECT_TRUE(Contains(boxes[0], c.target)) << "case " << i;
    EXPECT_EQ(Contains(boxes[0], L"Caution"), c.caution != nullptr) << "case " << i;
    if (c.caution) {
      EXPECT_TRUE(Contains(boxes[0], c.caution)) << "case " << i;
    }
    ASSERT_EQ(gShellCalls.size(), 1u) << "case " << i;
    EXPECT_EQ(gShellCalls[0].file, c.target) << "case " << i;
  }
}

TEST_F(RichEditTest, ALinkWithAQuoteIsRefusedWithoutAQuestionAndAnOwnClickHandlerGetsTheText) {
  Edit->SetText(L"Ask support today.");
  Edit->FLinkHelper->AddLiteralHotSpot(L"support", L"", L"http://example.com/\" & calc", L"", clBlue, 0, false);
  Edit->FLinkHelper->Apply_CFE_LINK_StyleToAllLinks();
  {
    hvtest::CapturedExceptions errors;
    EXPECT_TRUE(Click(5, IDYES).empty()) << "no question for a refused link";
    ASSERT_EQ(errors.Messages.size(), 1u);
    EXPECT_EQ(errors.ClassNames[0], L"EHvGeneralError");
    EXPECT_TRUE(Contains(errors.Messages[0], L"http://example.com/<U+0022> & calc"));
  }
  EXPECT_TRUE(gShellCalls.empty());

  std::vector<std::wstring> clicked;
  Edit->OnLinkClick() = [&](const std::wstring& text) { clicked.push_back(text); };
  EXPECT_TRUE(Click(9, IDYES).empty());
  EXPECT_EQ(clicked, std::vector<std::wstring>{L"support"});
  EXPECT_TRUE(gShellCalls.empty());
}

TEST_F(RichEditTest, LinksAreStyledThroughTheObjectModelElseThroughTheSelectionWithOneReportPerCall) {
  Edit->SetText(L"Mail joe@example.org or see www.example.com now.");
  TRichEditLinks& links = *Edit->FLinkHelper;
  links.AddEmailHotSpots(clRed, fsBold);
  links.AddHttpHotSpots(clGreen, fsItalic);
  ASSERT_EQ(links.Links.size(), 2u);
  links.ApplyOriginalStyleToAllLinks();
  CHARFORMAT2W mail = FormatAt(6), web = FormatAt(30);
  EXPECT_EQ(mail.crTextColor, RGB(255, 0, 0));
  EXPECT_TRUE(mail.dwEffects & CFE_BOLD);
  EXPECT_EQ(web.crTextColor, RGB(0, 128, 0));
  EXPECT_TRUE(web.dwEffects & CFE_ITALIC);
  EXPECT_FALSE(FormatAt(2).dwEffects & CFE_BOLD) << "text outside links keeps its look";
  EXPECT_TRUE(links.AttemptOle());
  EXPECT_EQ(ReportsOfObjectModelFailure(), 0);

  // A control that does not hand out its object model.
  ASSERT_TRUE(SetWindowSubclass(Edit->Handle(), RefuseObjectModel, 7, 0));
  Edit->SetSelection(2, 3);
  links.ApplyStyleToLink(0, clBlue, fsUnderline);
  mail = FormatAt(6);
  EXPECT_EQ(mail.crTextColor, RGB(0, 0, 255));
  EXPECT_TRUE(mail.dwEffects & CFE_UNDERLINE);
  EXPECT_FALSE(mail.dwEffects & CFE_BOLD);
  EXPECT_FALSE(links.AttemptOle());
  EXPECT_EQ(Edit->SelStart(), 2);
  EXPECT_EQ(Edit->SelLength(), 3);
  EXPECT_FALSE(links.SelectionChangeInProcess());
  EXPECT_EQ(ReportsOfObjectModelFailure(), 1);
  links.ApplyOriginalStyleToAllLinks();  // two links, one report
  EXPECT_EQ(ReportsOfObjectModelFailure(), 2);
  EXPECT_EQ(FormatAt(6).crTextColor, RGB(255, 0, 0));
  RemoveWindowSubclass(Edit->Handle(), RefuseObjectModel, 7);

  try {
    links.ApplyOriginalStyleToLink(2);
    ADD_FAILURE() << "an index past the links was taken";
  } catch (const EHvInternalError& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: Link Index out of bounds (2)");
  }
}

// Working offline, a link that needs the network says so in its hint, with the library's hand;
// one to a file on this computer does not. A link to another machine's share is asked about
// as any link that leaves the computer.
TEST_F(RichEditTest, OfflineTheHintTellsWhichLinksCannotOpen) {
  class WorkingOffline {
   public:
    WorkingOffline() : FHad(RegValueExistsLX(HKEY_CURRENT_USER, kKey, kValue)) {
      if (FHad) FSaved = RegReadBoolLX(HKEY_CURRENT_USER, kKey, kValue);
      RegWriteBoolLX(HKEY_CURRENT_USER, kKey, kValue, true);
    }
    ~WorkingOffline() {
      if (FHad)
        RegWriteBoolLX(HKEY_CURRENT_USER, kKey, kValue, FSaved);
      else
        RegDeleteValueLX(HKEY_CURRENT_USER, kKey, kValue);
    }

   private:
    const wchar_t* kKey = L"Software\\Halvern";
    const wchar_t* kValue = L"WorkOffline";
    bool FHad;
    bool FSaved = false;
  } offline;
  Edit->SetText(L"Web: http://example.com/page\r\nLocal: notes\r\nShare: report");
  TRichEditLinks& links = *Edit->FLinkHelper;
  links.AddLiteralHotSpot(L"notes", L"", L"file:///C:/windows/win.ini", L"", clBlue, fsUnderline, false);
  links.AddLiteralHotSpot(L"report", L"", L"file://198.51.100.7/s/a.txt", L"", clBlue, fsUnderline, false);
  links.Apply_CFE_LINK_StyleToAllLinks();
  struct Case {
    int position;
    const wchar_t* hint;
    HCURSOR cursor;
  } cases[] = {
      {10, L"http://example.com/page (not available offline)", GetHandCursor()},
      {38, L"file:///C:/windows/win.ini", kHand},
      {52, L"file://198.51.100.7/s/a.txt (not available offline)", GetHandCursor()},
  };
  for (const Case& c : cases) {
    Hover(c.position);
    EXPECT_EQ(Edit->Hint(), c.hint);
    EXPECT_EQ(Edit->Cursor(), c.cursor) << c.position;
  }
  const std::vector<std::wstring> boxes = Click(52, IDNO);
  ASSERT_EQ(boxes.size(), 1u) << "a share on another machine is asked about";
  EXPECT_TRUE(Contains(boxes[0], L"file://198.51.100.7/s/a.txt"));
  EXPECT_TRUE(gShellCalls.empty());
}

// Switched off, the link hint goes at once and no other comes; links still open.
TEST_F(RichEditTest, WithoutLinkHintsNoHintShowsAndLinksStillOpen) {
  Edit->SetText(L"Visit http://example.com/page today.");
  Edit->SetHint(L"own");
  Hover(10);
  ASSERT_TRUE(Edit->HintWindow().Showing());
  Edit->SetShowLinkHint(false);
  EXPECT_FALSE(Edit->HintWindow().Showing());
  EXPECT_EQ(Edit->Hint(), L"own");
  Hover(14);  // waits a while for a hint that must not come
  EXPECT_FALSE(Edit->HintWindow().Showing());
  EXPECT_EQ(Edit->Hint(), L"own");
  EXPECT_EQ(Click(18, IDYES).size(), 1u);
  ASSERT_EQ(gShellCalls.size(), 1u);
  EXPECT_EQ(gShellCalls[0].file, L"http://example.com/page");
}

// Without the control's own address detection the rebuilt window keeps its text, and an
// address in it is no link.
TEST_F(RichEditTest, WithoutAddressDetectionAnAddressIsNoLink) {
  const std::wstring text = L"Visit http://example.com/page today.";
  Edit->SetText(text);
  Edit->SetAutoUrlDetect(false);
  EXPECT_EQ(Edit->Text(), text);
  Hover(10);
  EXPECT_FALSE(Edit->HintWindow().Showing());
  EXPECT_TRUE(Click(14, IDYES).empty()) << "no question: nothing opens";
  EXPECT_TRUE(gShellCalls.empty());
}

// Leaving the control right after a link was reported keeps the hint for the hold, then
// hides it without any further move.
TEST_F(RichEditTest, LeavingTheControlHidesTheHintAfterTheHold) {
  Edit->SetText(L"Visit http://example.com/page today.");
  Edit->SetHint(L"own");
  Hover(10);
  ASSERT_TRUE(Edit->HintWindow().Showing());
  POINT outside{2, 2};  // the form, beside the edit
  ClientToScreen(FForm->Handle(), &outside);
  hvtest::MovePointerTo(outside);
  if (GetTickCount() - Edit->VarBlock().LastLinkTime < 80) {
    EXPECT_TRUE(Edit->HintWindow().Showing()) << "within the hold";
  }
  for (int i = 0; i < 30 && Edit->HintWindow().Showing(); ++i) {
    Sleep(20);
    hvtest::Pump();
  }
  EXPECT_FALSE(Edit->HintWindow().Showing());
  EXPECT_EQ(Edit->Hint(), L"own");
}

// Giving the whole text the default look keeps an automatic colour automatic, through the
// object model and through the selection alike, so the text follows the system's colours.
TEST_F(RichEditTest, TheDefaultLookKeepsAnAutomaticColourAutomatic) {
  Edit->SetText(L"Mail joe@example.org now.");
  TRichEditLinks& links = *Edit->FLinkHelper;
  links.AddEmailHotSpots(clRed, fsBold);
  for (bool objectModel : {true, false}) {
    SCOPED_TRACE(objectModel ? "object model" : "selection");
    if (!objectModel) {
      ASSERT_TRUE(SetWindowSubclass(Edit->Handle(), RefuseObjectModel, 7, 0));
    }
    links.ApplyOriginalStyleToAllLinks();
    ASSERT_EQ(FormatAt(6).crTextColor, RGB(255, 0, 0));
    links.ApplyDefaultFontToAll();
    const CHARFORMAT2W mail = FormatAt(6);
    EXPECT_TRUE(mail.dwEffects & CFE_AUTOCOLOR);
    EXPECT_FALSE(mail.dwEffects & CFE_BOLD);
    EXPECT_EQ(links.AttemptOle(), objectModel);
  }
  RemoveWindowSubclass(Edit->Handle(), RefuseObjectModel, 7);
}

TEST_F(RichEditTest, StyledLinksAsTheUserSeesThem) {
  Edit->SetText(L"Write to joe@example.org or call  (555) 123-4567  today.\r\n"
                L"Our pages: https://example.com/start and www.example.org.\r\n"
                L"Read the release notes.");
  TRichEditLinks& links = *Edit->FLinkHelper;
  links.AddEmailHotSpots(clRed, fsBold | fsUnderline);
  links.AddUSAPhoneHotSpots(clGreen, fsItalic);
  links.AddLiteralHotSpot(L"release notes", L"", L"https://example.com/notes", L"", clBlue, fsUnderline, false);
  // Without the system link effect: Wine paints text that has it in its own link colour.
  links.ApplyOriginalStyleToAllLinks();
  ASSERT_EQ(links.Links.size(), 3u);
  // Each link in its own colour and style, the text between them as it was.
  struct Look {
    const wchar_t* text;
    COLORREF color;
    DWORD effects;
  } looks[] = {{L"joe@example.org", RGB(255, 0, 0), CFE_BOLD | CFE_UNDERLINE},
               {L"(555) 123-4567", RGB(0, 128, 0), CFE_ITALIC},
               {L"release notes", RGB(0, 0, 255), CFE_UNDERLINE}};
  const std::wstring text = Edit->TextWithLineFeeds();
  const DWORD styles = CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT;
  for (const Look& look : looks) {
    const std::size_t at = text.find(look.text);
    ASSERT_NE(at, std::wstring::npos) << look.text;
    for (std::size_t i : {at, at + std::wcslen(look.text) - 1}) {
      const CHARFORMAT2W format = FormatAt(static_cast<int>(i));
      EXPECT_EQ(format.crTextColor, look.color) << look.text << " at " << i;
      EXPECT_EQ(format.dwEffects & styles, look.effects) << look.text << " at " << i;
    }
  }
  const CHARFORMAT2W plain = FormatAt(static_cast<int>(text.find(L"Write")));
  EXPECT_EQ(plain.dwEffects & styles, 0u);
  EXPECT_TRUE(plain.dwEffects & CFE_AUTOCOLOR);
  for (int i = 0; i < 10; ++i) {
    Sleep(20);
    hvtest::Pump();
  }
  const std::wstring path = hvtest::SaveScreenshot(FForm->Handle(), L"richedit_links");
  EXPECT_EQ(GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES, true) << "screenshot";
}

TEST(RichEditZoom, TheControlZoomsWithTheScreenScaleAndMakesUpForChromeOSFonts) {
  const int logPixels = RegReadIntegerDefLX(
      HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts", L"LogPixels", 96);
  struct Case {
    bool chromeOS, scaled;
    WPARAM numerator;
    LPARAM denominator;
  } cases[] = {
      {false, true, 144, 96},
      {false, false, 0, 0},
      {true, true, logPixels >= 96 && logPixels <= 99 ? 14400u : 144u,
       logPixels >= 96 && logPixels <= 99 ? 96 * logPixels : 96},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    hvtest::ScopedPixelsPerInch ppi(144);
    ScopedHostPins host({.chromeOS = c.chromeOS});
    std::unique_ptr<TForm> form(TForm::Create<TForm>(nullptr));
    auto* edit = form->Add<THvRichEditLX>(L"Edit", {8, 8, 200, 100});
    edit->Scaled = c.scaled;
    form->Show();
    hvtest::Pump();
    WPARAM numerator = 0;
    LPARAM denominator = 0;
    SendMessageW(edit->Handle(), EM_GETZOOM, reinterpret_cast<WPARAM>(&numerator),
                 reinterpret_cast<LPARAM>(&denominator));
    EXPECT_EQ(numerator, c.numerator) << "case " << i;
    EXPECT_EQ(denominator, c.denominator) << "case " << i;
  }
}

TEST(RichTextToPlainText, RichTextComesBackAsLinesAndOtherTextUnchanged) {
  struct Case {
    std::wstring text, expected;
  } cases[] = {
      {L"{\\rtf1\\ansi Hello {\\b bold} world\\par Line two}", L"Hello bold world\r\nLine two\r\n"},
      {L"{\\rtf1\\ansi caf\u00e9 \\u8364? na\\'efve}", L"caf\u00e9 \u20ac na\u00efve\r\n"},
      {L"{\\rtf1\\ansi " + std::wstring(1500, L'x') + L"}", std::wstring(1500, L'x') + L"\r\n"},  // no wrap
      {L"plain {\\rtf1 text", L"plain {\\rtf1 text"},
      {L"", L""},
      {L"{\\rtf1\\ansi }", L""},  // no text, no line
      {L"{\\rtf1\\ansi Last line ends\\par }", L"Last line ends\r\n"},
      {L"{\\rtf1\\ansi One\\par\\par Three}", L"One\r\n\r\nThree\r\n"},  // an empty line inside stays
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(RichTextToPlainText(cases[i].text), cases[i].expected) << "case " << i;
}

// The layers below the windows read rich text through the two hooks exactly while the
// application services run; before and after, they are empty.
TEST(RichTextToPlainText, TheApplicationServicesLendItToBothHooksWhileTheyRun) {
  ASSERT_FALSE(HvLXVclUtilsInitialized());
  EXPECT_EQ(RichTextToPlainTextHook(), nullptr);
  EXPECT_EQ(StringListRichTextToPlainTextHook(), nullptr);
  InitializeHvLXVclUtils(false);
  const TRichTextToPlainTextProc hooks[] = {RichTextToPlainTextHook(), StringListRichTextToPlainTextHook()};
  FinalizeHvLXVclUtils();
  for (TRichTextToPlainTextProc hook : hooks) {
    ASSERT_NE(hook, nullptr);
    EXPECT_EQ(hook(L"{\\rtf1\\ansi Hello {\\b bold}\\par two}"), L"Hello bold\r\ntwo\r\n");
    EXPECT_EQ(hook(L"plain"), L"plain");
  }
  EXPECT_EQ(RichTextToPlainTextHook(), nullptr);
  EXPECT_EQ(StringListRichTextToPlainTextHook(), nullptr);
}
