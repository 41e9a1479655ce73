// THvComboBox typed into through the real keyboard queue (SendInput) on a shown form: the
// search text of the list styles with its pause, completion in the edit styles, the drop-down
// rules and the click and select events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Forms2Support.h"
#include "FormsTestSupport.h"
#include "HvFakeClock.h"
#include "HvStdCtrls.h"

using namespace hv;

namespace {

// One key as the keyboard gives it: a character through the Unicode packet, or a virtual key.
void SendKey(wchar_t ch, WORD vk = 0) {
  INPUT in[2]{};
  for (int i = 0; i < 2; ++i) {
    in[i].type = INPUT_KEYBOARD;
    in[i].ki.wVk = vk;
    in[i].ki.wScan = vk ? 0 : ch;
    in[i].ki.dwFlags = (vk ? 0 : KEYEVENTF_UNICODE) | (i ? KEYEVENTF_KEYUP : 0);
  }
  ASSERT_EQ(SendInput(2, in, sizeof(INPUT)), 2u);
  // The input reaches the queue through the server; handle it once it is there.
  for (int i = 0; i < 20; ++i) {
    Sleep(5);
    hvtest::Pump();
  }
}

void Type(const std::wstring& text) {
  for (wchar_t ch : text) SendKey(ch);
}

class ComboBoxTest : public ::testing::Test {
 protected:
  THvComboBox* Make(TComboBoxStyle style, std::initializer_list<std::wstring> items) {
    form = hvtest::MakeHostForm(260, 160);
    combo = form->Add<THvComboBox>(L"Combo", {16, 16, 200, 21});
    combo->SetStyle(style);
    combo->Items().AddStrings(items);
    combo->OnClick = [this](TComponent*) { events.push_back(L"click"); };
    combo->OnSelect = [this](TComponent*) { events.push_back(L"select"); };
    SetForegroundWindow(form->Handle());
    combo->SetFocus();
    hvtest::Pump();
    return combo;
  }
  void TearDown() override {
    if (combo && combo->DroppedDown()) combo->SetDroppedDown(false);
  }

  hvtest::ScopedFakeClock clock;
  std::unique_ptr<TForm> form;
  THvComboBox* combo = nullptr;
  std::vector<std::wstring> events;
};

const std::vector<std::wstring> kClickSelect{L"click", L"select"};

const TComboBoxStyle kListStyles[] = {TComboBoxStyle::csDropDownList, TComboBoxStyle::csOwnerDrawFixed,
                                      TComboBoxStyle::csOwnerDrawVariable};
const TComboBoxStyle kEditStyles[] = {TComboBoxStyle::csDropDown, TComboBoxStyle::csSimple};

}  // namespace

TEST_F(ComboBoxTest, ListStylesSearchWhatWasTypedUntilAPause) {
  for (TComboBoxStyle style : kListStyles) {
    SCOPED_TRACE(static_cast<int>(style));
    Make(style, {L"Alpha", L"Beta", L"Bravo"});
    events.clear();
    SendKey(L'b');
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(events, kClickSelect);
    clock.AdvanceMs(1249);  // not yet a pause
    SendKey(L'r');
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->Filter(), L"br");
    EXPECT_EQ(combo->Text(), L"Bravo");

    SendKey(0, VK_BACK);  // shortens the search text only
    EXPECT_EQ(combo->Filter(), L"b");
    EXPECT_EQ(combo->ItemIndex(), 2);

    // After a pause r is a new search: nothing begins with it, so it goes on to the control,
    // which finds nothing either.
    clock.AdvanceMs(1250);
    events.clear();
    SendKey(L'r');
    EXPECT_EQ(combo->Filter(), L"");
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_TRUE(events.empty());

    // The item already selected: no events.
    combo->SetItemIndex(1);
    clock.AdvanceMs(1250);
    SendKey(L'B');
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(combo->DroppedDown()) << "the list opens only when asked to";

    // Asked to, typing opens the list; Escape, which closes it, opens it no more.
    combo->SetAutoDropDown(true);
    clock.AdvanceMs(1250);
    SendKey(L'a');
    EXPECT_TRUE(combo->DroppedDown());
    EXPECT_EQ(combo->ItemIndex(), 0);
    SendKey(0, VK_ESCAPE);
    EXPECT_FALSE(combo->DroppedDown());
  }
}

TEST_F(ComboBoxTest, EditStylesCompleteTheTypedPrefixAndSelectTheRest) {
  for (TComboBoxStyle style : kEditStyles) {
    SCOPED_TRACE(static_cast<int>(style));
    Make(style, {L"Beta"});
    events.clear();
    Type(L"be");
    // The typed characters keep their case; the rest comes from the item and is selected.
    EXPECT_EQ(combo->Text(), L"beta");
    EXPECT_EQ(combo->SelStart(), 2);
    EXPECT_EQ(combo->SelLength(), 2);
    EXPECT_EQ(combo->ItemIndex(), 0);
    if (style == TComboBoxStyle::csDropDown)
      EXPECT_EQ(events, (std::vector<std::wstring>{L"click", L"select", L"click", L"select"}))
          << "the text differed from the item each time";
    else
      EXPECT_EQ(events, kClickSelect) << "the second letter kept the item";

    // The next character replaces the completed rest; no item begins with "bex".
    SendKey(L'x');
    EXPECT_EQ(combo->Text(), L"bex");

    // Backspace and Escape complete nothing; with AutoDropDown on, where any other key opens
    // the list, they open none.
    combo->SetAutoDropDown(true);
    SendKey(0, VK_BACK);
    EXPECT_EQ(combo->Text(), L"be");
    EXPECT_FALSE(combo->DroppedDown());
    SendKey(0, VK_ESCAPE);
    EXPECT_EQ(combo->Text(), L"be");
    EXPECT_FALSE(combo->DroppedDown());
    combo->SetAutoDropDown(false);

    // Typing inside the text inserts the character without completing.
    combo->SetText(L"ta");
    combo->SetSelStart(0);
    SendKey(L'B');
    EXPECT_EQ(combo->Text(), L"Bta");
  }
}

TEST_F(ComboBoxTest, TheSameTextAgainFiresNoEvents) {
  Make(TComboBoxStyle::csDropDown, {L"Beta"});
  SendKey(L'B');
  ASSERT_EQ(combo->Text(), L"Beta");
  combo->SetSelStart(0);
  combo->SetSelLength(4);
  events.clear();
  SendKey(L'B');  // replaces everything, completes to the same text
  EXPECT_EQ(combo->Text(), L"Beta");
  EXPECT_TRUE(events.empty());
}

TEST_F(ComboBoxTest, AutoDropDownOpensTheListAndAWholeItemClosesIt) {
  struct Case {
    TComboBoxStyle style;
    const wchar_t* typed;
    bool autoCloseUp;
    bool dropped;
    const wchar_t* text;
  } cases[] = {
      {TComboBoxStyle::csDropDownList, L"a", true, true, L"Alpha"},
      {TComboBoxStyle::csDropDownList, L"b", true, false, L"B"},  // "b" is the whole item B
      {TComboBoxStyle::csDropDownList, L"b", false, true, L"B"},
      {TComboBoxStyle::csDropDown, L"a", true, true, L"alpha"},
      {TComboBoxStyle::csDropDown, L"b", true, false, L"b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::wstring(c.typed) + L" in style " + std::to_wstring(static_cast<int>(c.style)));
    Make(c.style, {L"Alpha", L"B", L"Beta"});
    combo->SetAutoDropDown(true);
    combo->SetAutoCloseUp(c.autoCloseUp);
    Type(c.typed);
    EXPECT_EQ(combo->DroppedDown(), c.dropped);
    EXPECT_EQ(combo->Text(), c.text);
    combo->SetDroppedDown(false);
  }
}

TEST_F(ComboBoxTest, WithoutAutoCompleteTheControlIsThePlatformsOwn) {
  Make(TComboBoxStyle::csDropDownList, {L"Alpha", L"Beta", L"Bravo"});
  combo->SetAutoComplete(false);
  Type(L"br");  // the native control's first-letter search: r finds nothing
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Filter(), L"");

  Make(TComboBoxStyle::csDropDown, {L"Beta"});
  combo->SetAutoComplete(false);
  Type(L"b");
  EXPECT_EQ(combo->Text(), L"b");
  EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST_F(ComboBoxTest, CompletionIsRefusedForTheListStyles) {
  Make(TComboBoxStyle::csDropDownList, {L"Alpha"});
  wchar_t key = L'a';
  try {
    _HvComboBox_AutoCompleteKeyPress(*combo, key, true, false);
    FAIL() << "no assertion";
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(e.Message(),
              L"Internal Error: _HvComboBox_AutoCompleteKeyPress is only for csSimple and csDropDown style combo boxes.");
  }
}

namespace {
// Answers every search with the last item, and counts what it was asked.
class FinderCombo : public THvComboBox, public IHvComboItemFinder {
 public:
  using THvComboBox::THvComboBox;
  int FindComboItem(const std::wstring& text, int start) override {
    asked.push_back(text + L"@" + std::to_wstring(start));
    return Items().Count() - 1;
  }
  std::vector<std::wstring> asked;
};
}  // namespace

TEST_F(ComboBoxTest, AComboThatFindsItsOwnItemsIsAsked) {
  form = hvtest::MakeHostForm();
  auto* finder = form->Add<FinderCombo>(L"Finder", {16, 16, 200, 21});
  finder->Items().AddStrings({L"Alpha", L"Alps"});
  EXPECT_EQ(finder->FindItem(-1, L"Al"), 1);
  // Unique only when searching on from the match comes back to it.
  EXPECT_EQ(finder->FindUniqueItem(L"Al"), 1);
  EXPECT_EQ(finder->asked, (std::vector<std::wstring>{L"Al@-1", L"Al@-1", L"Al@1"}));

  combo = form->Add<THvComboBox>(L"Plain", {16, 50, 200, 21});
  combo->Items().AddStrings({L"Alpha", L"Alps", L"Beta"});
  EXPECT_EQ(combo->FindItem(0, L"al"), 1);
  EXPECT_EQ(combo->FindItem(1, L"al"), 0);  // wraps around
  EXPECT_EQ(combo->FindUniqueItem(L"al"), -1);
  EXPECT_EQ(combo->FindUniqueItem(L"B"), 2);
  EXPECT_EQ(combo->FindUniqueItem(L"x"), -1);
}

TEST_F(ComboBoxTest, ItemsAndSelectionSurviveARebuiltWindow) {
  Make(TComboBoxStyle::csDropDownList, {L"Alpha", L"Beta"});
  combo->SetItemIndex(1);
  combo->SetStyle(TComboBoxStyle::csOwnerDrawFixed);
  EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Items().IndexOf(L"BETA"), 1);
  EXPECT_EQ(combo->Items().IndexOf(L"Bet"), -1);
  combo->SetStyle(TComboBoxStyle::csDropDown);
  EXPECT_NE(combo->EditHandle(), nullptr);
  EXPECT_EQ(combo->Text(), L"Beta");
  // The field keeps its own height; the height of the open list comes on top.
  RECT r = combo->BoundsRect();
  EXPECT_LT(r.bottom - r.top, 40);
  hvtest::SaveScreenshot(form->Handle(), L"ComboBox");
  combo->SetDroppedDown(true);
  hvtest::Pump();
  hvtest::SaveScreenshot(form->Handle(), L"ComboBoxDroppedDown");
}

// Tab closes a list that typing opened, in every style.
TEST_F(ComboBoxTest, TabClosesTheListTypingOpened) {
  for (TComboBoxStyle style : {TComboBoxStyle::csDropDownList, TComboBoxStyle::csDropDown}) {
    SCOPED_TRACE(static_cast<int>(style));
    Make(style, {L"Alpha", L"Beta"});
    combo->SetAutoDropDown(true);
    SendKey(L'a');
    ASSERT_TRUE(combo->DroppedDown());
    SendKey(0, VK_TAB);
    EXPECT_FALSE(combo->DroppedDown());
  }
}

// The tick counter wraps after 49.7 days: a search text typed just before goes on just after
// only as a new search (a wrapped counter counts as a long pause), and never as a stale one.
TEST_F(ComboBoxTest, AWrappedTickCounterStartsANewSearch) {
  Make(TComboBoxStyle::csDropDownList, {L"Alpha", L"Beta", L"Bravo", L"Rho"});
  clock.SetTick(0xFFFFFF00u);
  SendKey(L'b');
  clock.AdvanceMs(0x200);  // wraps
  SendKey(L'r');
  EXPECT_EQ(combo->Filter(), L"r");
  EXPECT_EQ(combo->Text(), L"Rho");
  clock.AdvanceMs(1249);  // no pause: the search goes on
  SendKey(L'h');
  EXPECT_EQ(combo->Filter(), L"rh");
}
