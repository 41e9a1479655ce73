// THvCheckListBoxLX on a real owner-drawn list box: operations by checked state, the list
// box's own search, keyboard and mouse toggling, item-sized repaints, and the ticks as
// assistive technology reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "FormsTestSupport.h"
#include "HvComPtr.h"
#include "HvLXCheckLst.h"
#include "HvLXForms.h"
#include "HvStringList.h"
#include "HvStringListOps.h"

#include <oleacc.h>

using namespace hv;

namespace {

// A string list with the operations the check list box fills and searches; like the
// library's string list it ignores case unless told otherwise.
struct TestList {
  std::vector<std::pair<std::wstring, void*>> items;
  bool caseSensitive = false;
  int updates = 0, maxUpdateDepth = 0;
  void BeginUpdate() { maxUpdateDepth = std::max(maxUpdateDepth, ++updates); }
  void EndUpdate() { --updates; }
  void Clear() { items.clear(); }
  int AddObject(const std::wstring& s, void* o) {
    items.emplace_back(s, o);
    return static_cast<int>(items.size()) - 1;
  }
  int IndexOf(const std::wstring& s) const {
    for (size_t i = 0; i < items.size(); ++i)
      if (caseSensitive ? items[i].first == s : lstrcmpiW(items[i].first.c_str(), s.c_str()) == 0) return static_cast<int>(i);
    return -1;
  }
  int IndexOfObject(void* o) const {
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i].second == o) return static_cast<int>(i);
    return -1;
  }
  std::vector<std::wstring> Texts() const {
    std::vector<std::wstring> t;
    for (auto& [s, o] : items) t.push_back(s);
    return t;
  }
};

int kObjA, kObjB, kObjC, kObjD;

class CheckListBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form.reset(TForm::Create<THvFormLX>(nullptr));
    form->SetCaption(L"Check list");
    form->SetClientSize96(260, 130);
    list = form->Add<THvCheckListBoxLX>(L"ProductList", {16, 16, 225, 87});
    // Corvista checked, Sendaro unchecked, Pelmark greyed, Other checked but disabled.
    list->Items().AddObject(L"Corvista", &kObjA);
    list->Items().AddObject(L"Sendaro", &kObjB);
    list->Items().AddObject(L"Pelmark", &kObjC);
    list->Items().AddObject(L"Other", &kObjD);
    list->SetChecked(0, true);
    list->SetState(2, TCheckBoxState::cbGrayed);
    list->SetChecked(3, true);
    list->SetItemEnabled(3, false);
    form->HandleNeeded();
  }
  std::vector<TCheckBoxState> States() const {
    std::vector<TCheckBoxState> s;
    for (int i = 0; i < list->Items().Count(); ++i) s.push_back(list->State(i));
    return s;
  }
  std::unique_ptr<THvFormLX> form;
  THvCheckListBoxLX* list = nullptr;
};

constexpr auto U = TCheckBoxState::cbUnchecked;
constexpr auto C = TCheckBoxState::cbChecked;
constexpr auto G = TCheckBoxState::cbGrayed;

}  // namespace

TEST_F(CheckListBoxTest, CountsAndTestsOnlyCheckedItems) {
  EXPECT_EQ(list->GetCheckedCount(), 2);  // the greyed one is not checked, the disabled one is
  EXPECT_TRUE(list->AnyChecks());
  EXPECT_TRUE(list->StringIsChecked(L"corvista"));
  EXPECT_FALSE(list->StringIsChecked(L"Sendaro"));
  EXPECT_FALSE(list->StringIsChecked(L"Pelmark"));
  EXPECT_FALSE(list->StringIsChecked(L"Corv"));

  // An unchecked item with the text does not hide a later checked one.
  list->Items().Add(L"SENDARO");
  list->SetChecked(4, true);
  EXPECT_TRUE(list->StringIsChecked(L"Sendaro"));

  list->UncheckAll();
  EXPECT_EQ(list->GetCheckedCount(), 0);
  EXPECT_FALSE(list->AnyChecks());
}

TEST_F(CheckListBoxTest, CollectsCheckedAndUncheckedItemsWithTheirObjects) {
  TestList checked, unchecked;
  checked.AddObject(L"left over", nullptr);
  list->GetCheckedStrings(checked);
  list->GetUnCheckedStrings(unchecked);
  EXPECT_EQ(checked.Texts(), (std::vector<std::wstring>{L"Corvista", L"Other"}));
  EXPECT_EQ(checked.items[0].second, &kObjA);
  EXPECT_EQ(unchecked.Texts(), (std::vector<std::wstring>{L"Sendaro", L"Pelmark"}));
  EXPECT_EQ(unchecked.items[1].second, &kObjC);
  EXPECT_EQ(checked.maxUpdateDepth, 1);
  EXPECT_EQ(checked.updates, 0);

  list->Items().Clear();
  list->GetCheckedStrings(checked);  // an empty control still clears the list
  EXPECT_TRUE(checked.items.empty());
}

TEST_F(CheckListBoxTest, SetsCheckedStatesFromAListByTextOrByObject) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::wstring, void*>> given;
    bool byObject, caseSensitive, unchecked;
    std::vector<TCheckBoxState> expected;
  } cases[] = {
      {"empty list unchecks all", {}, false, false, false, {U, U, U, U}},
      {"empty list for unchecking checks all", {}, false, false, true, {C, C, C, C}},
      {"by text, the list ignores case", {{L"sendaro", nullptr}, {L"OTHER", nullptr}}, false, false, false, {U, C, U, C}},
      {"by text, the list minds case", {{L"sendaro", nullptr}, {L"Other", nullptr}}, false, true, false, {U, U, U, C}},
      {"by object only", {{L"Corvista", &kObjB}}, true, false, false, {U, C, U, U}},
      {"unchecking by text", {{L"Corvista", nullptr}}, false, false, true, {U, C, C, C}},
  };
  for (const Case& c : cases) {
    SetUp();
    TestList given;
    given.items = c.given;
    given.caseSensitive = c.caseSensitive;
    if (c.unchecked)
      list->SetUnCheckedStrings(given, c.byObject);
    else
      list->SetCheckedStrings(given, c.byObject);
    EXPECT_EQ(States(), c.expected) << c.name;
  }
}

TEST_F(CheckListBoxTest, ByObjectTellsEqualTextsApart) {
  list->Items().Clear();
  list->Items().AddObject(L"Twin", &kObjA);
  list->Items().AddObject(L"Twin", &kObjB);
  TestList given;
  given.AddObject(L"Twin", &kObjB);
  list->SetCheckedStrings(given, true);
  EXPECT_EQ(States(), (std::vector<TCheckBoxState>{U, C}));
  list->SetCheckedStrings(given, false);
  EXPECT_EQ(States(), (std::vector<TCheckBoxState>{C, C}));
}

TEST_F(CheckListBoxTest, WorksWithTheLibrarysStringList) {
  THvStringList given{L"sendaro", L"OTHER"};  // ignores case by default
  list->SetCheckedStrings(given, false);
  EXPECT_EQ(States(), (std::vector<TCheckBoxState>{U, C, U, C}));
  THvStringList got{L"stale"};
  list->GetCheckedStrings(got);
  EXPECT_EQ(ToArray(got), (std::vector<std::wstring>{L"Sendaro", L"Other"}));
  EXPECT_EQ(got.GetObject(1), &kObjD);
}

TEST_F(CheckListBoxTest, ArrayFormMatchesTextIgnoringCase) {
  list->SetCheckedStrings(std::vector<std::wstring>{L"PELMARK", L"sendaro", L"nothing"});
  EXPECT_EQ(States(), (std::vector<TCheckBoxState>{U, C, C, U}));
}

TEST_F(CheckListBoxTest, BulkChangesReachGreyedAndDisabledItems) {
  list->SetSelected(1, true);  // single selection: Sendaro
  struct Case {
    const char* name;
    void (THvCheckListBoxLX::*op)();
    std::vector<TCheckBoxState> expected;
  } cases[] = {
      {"CheckAll", &THvCheckListBoxLX::CheckAll, {C, C, C, C}},
      {"UncheckAll", &THvCheckListBoxLX::UncheckAll, {U, U, U, U}},
      {"ToggleAll", &THvCheckListBoxLX::ToggleAll, {U, C, C, U}},
      {"ToggleSelected", &THvCheckListBoxLX::ToggleSelected, {C, C, G, C}},
  };
  for (const Case& c : cases) {
    SetUp();
    list->SetSelected(1, true);
    (list->*c.op)();
    EXPECT_EQ(States(), c.expected) << c.name;
  }
}

TEST_F(CheckListBoxTest, ItemsAreFoundByTheListBoxsExactCaseIgnoringSearch) {
  ASSERT_TRUE(list->HandleAllocated());
  struct Case {
    const wchar_t* text;
    int index;
  } cases[] = {{L"Corvista", 0}, {L"CORVISTA", 0}, {L"sendaro", 1}, {L"Corv", -1}, {L"Corvista ", -1}, {L"", -1}};
  for (const Case& c : cases) EXPECT_EQ(list->Items().IndexOf(c.text), c.index) << c.text;

  // The string-list operations search through the list box too.
  AddStringsIfNew(list->Items(), {L"CORVISTA", L"Newcomer"});
  EXPECT_EQ(list->Items().Count(), 5);
  EXPECT_TRUE(Contains(list->Items(), L"pelmark"));
  EXPECT_FALSE(Remove(list->Items(), L"Nothing"));
  EXPECT_EQ(list->Items().Count(), 5);
  EXPECT_EQ(list->Items().Get(4), L"Newcomer");
  EXPECT_FALSE(list->Checked(4));  // a new item is unchecked and enabled
  EXPECT_TRUE(list->ItemEnabled(4));

  // Deleting keeps every other item's state with its text.
  EXPECT_TRUE(Remove(list->Items(), L"sendaro"));
  EXPECT_EQ(list->Items().Get(1), L"Pelmark");
  EXPECT_EQ(States(), (std::vector<TCheckBoxState>{C, G, C, U}));
  EXPECT_EQ(SendMessageW(list->Handle(), LB_GETCOUNT, 0, 0), 4);
  EXPECT_THROW(list->Items().Delete(9), EListError);
}

TEST_F(CheckListBoxTest, TheKeyboardAndAClickOnTheBoxToggleItems) {
  std::vector<int> clicked;
  list->OnClickCheck = [&](TCheckListBox&, int index) { clicked.push_back(index); };
  form->Show();
  hvtest::Pump();
  list->SetFocus();
  list->SetItemIndex(0);

  auto press = [&](int key) {
    PostMessageW(list->Handle(), WM_KEYDOWN, key, 1);
    PostMessageW(list->Handle(), WM_KEYUP, key, 0xC0000001);
    hvtest::Pump();
  };
  press(VK_DOWN);   // to Sendaro
  press(VK_SPACE);  // tick it
  EXPECT_TRUE(list->Checked(1));
  press(VK_DOWN);
  press(VK_DOWN);   // Other, disabled: stays as it is
  press(VK_SPACE);
  EXPECT_TRUE(list->Checked(3));

  RECT item;
  SendMessageW(list->Handle(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
  int midY = (item.top + item.bottom) / 2;
  SendMessageW(list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.left + 6, midY));  // on the box
  SendMessageW(list->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(item.left + 6, midY));
  EXPECT_FALSE(list->Checked(0));
  SendMessageW(list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.left + 120, midY));  // on the text
  SendMessageW(list->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(item.left + 120, midY));
  EXPECT_FALSE(list->Checked(0));
  EXPECT_EQ(clicked, (std::vector<int>{1, 0}));
  hvtest::SaveScreenshot(form->Handle(), L"CheckListBox");
}

TEST_F(CheckListBoxTest, AChangedItemRepaintsOnlyItself) {
  form->Show();
  hvtest::Pump();
  UpdateWindow(list->Handle());
  RECT update;
  ASSERT_FALSE(GetUpdateRect(list->Handle(), &update, FALSE));

  list->SetChecked(0, true);  // unchanged
  EXPECT_FALSE(GetUpdateRect(list->Handle(), &update, FALSE));

  list->SetChecked(1, true);
  RECT item;
  SendMessageW(list->Handle(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  ASSERT_TRUE(GetUpdateRect(list->Handle(), &update, FALSE));
  EXPECT_TRUE(EqualRect(&update, &item));
}

// What a screen reader reads through the system's accessibility interface: the same call a
// reader in another process makes (the end-to-end driver makes it from outside).
TEST_F(CheckListBoxTest, AssistiveTechnologyReadsAndTogglesTheTicks) {
  std::vector<int> clicked;
  list->OnClickCheck = [&](TCheckListBox&, int index) { clicked.push_back(index); };
  TComPtr<IAccessible> acc;
  ASSERT_EQ(AccessibleObjectFromWindow(list->Handle(), OBJID_CLIENT, __uuidof(IAccessible), acc.put_void()), S_OK);
  long count = 0;
  ASSERT_EQ(acc->get_accChildCount(&count), S_OK);
  ASSERT_EQ(count, 4);

  auto child = [](long id) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = id;
    return v;
  };
  auto state = [&](long id) {
    VARIANT out;
    EXPECT_EQ(acc->get_accState(child(id), &out), S_OK);
    return out.lVal & (STATE_SYSTEM_CHECKED | STATE_SYSTEM_MIXED | STATE_SYSTEM_UNAVAILABLE);
  };
  struct Case {
    const wchar_t* name;
    long state;
    const wchar_t* action;  // none for an unavailable item
  } cases[] = {{L"Corvista", STATE_SYSTEM_CHECKED, L"Uncheck"},
               {L"Sendaro", 0, L"Check"},
               {L"Pelmark", STATE_SYSTEM_MIXED, L"Check"},
               {L"Other", STATE_SYSTEM_CHECKED | STATE_SYSTEM_UNAVAILABLE, nullptr}};
  for (long id = 1; id <= 4; ++id) {
    const Case& c = cases[id - 1];
    SCOPED_TRACE(c.name);
    BSTR name = nullptr, action = nullptr;
    ASSERT_EQ(acc->get_accName(child(id), &name), S_OK);
    EXPECT_STREQ(name, c.name);
    SysFreeString(name);
    VARIANT role;
    ASSERT_EQ(acc->get_accRole(child(id), &role), S_OK);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_CHECKBUTTON);
    EXPECT_EQ(state(id), c.state);
    EXPECT_EQ(acc->get_accDefaultAction(child(id), &action), c.action ? S_OK : S_FALSE);
    EXPECT_STREQ(action, c.action);
    SysFreeString(action);
  }
  VARIANT role;
  ASSERT_EQ(acc->get_accRole(child(CHILDID_SELF), &role), S_OK);
  EXPECT_EQ(role.lVal, ROLE_SYSTEM_LIST);

  // The default action is the user's toggle, event included, made once the reader's call has
  // returned (a handler may ask the user something); an unavailable item refuses it.
  EXPECT_EQ(acc->accDoDefaultAction(child(2)), S_OK);
  EXPECT_TRUE(clicked.empty()) << "not inside the reader's call";
  EXPECT_FALSE(list->Checked(1));
  hvtest::Pump();
  EXPECT_TRUE(list->Checked(1));
  EXPECT_EQ(state(2), STATE_SYSTEM_CHECKED);
  EXPECT_EQ(acc->accDoDefaultAction(child(4)), DISP_E_MEMBERNOTFOUND);
  hvtest::Pump();
  EXPECT_TRUE(list->Checked(3));
  EXPECT_EQ(clicked, std::vector<int>{1});
  list->SetState(0, TCheckBoxState::cbUnchecked);  // a change made by the program is seen too
  EXPECT_EQ(state(1), 0);

  EXPECT_EQ(acc->get_accRole(child(5), &role), E_INVALIDARG);
  // A reader may hold the object longer than the list lives.
  form.reset();
  EXPECT_EQ(acc->get_accChildCount(&count), RPC_E_DISCONNECTED);
  EXPECT_EQ(acc->accDoDefaultAction(child(1)), RPC_E_DISCONNECTED);
}

// A list whose items can be greyed names the step each item's default action takes, and the
// action takes exactly that step.
TEST_F(CheckListBoxTest, AGreyCapableListNamesTheStepItsDefaultActionTakes) {
  list->SetAllowGrayed(true);
  TComPtr<IAccessible> acc;
  ASSERT_EQ(AccessibleObjectFromWindow(list->Handle(), OBJID_CLIENT, __uuidof(IAccessible), acc.put_void()), S_OK);
  VARIANT sendaro;
  sendaro.vt = VT_I4;
  sendaro.lVal = 2;  // unchecked
  const std::pair<const wchar_t*, TCheckBoxState> steps[] = {
      {L"Partially check", G}, {L"Check", C}, {L"Uncheck", U}, {L"Partially check", G}};
  for (const auto& [action, after] : steps) {
    BSTR name = nullptr;
    ASSERT_EQ(acc->get_accDefaultAction(sendaro, &name), S_OK);
    EXPECT_STREQ(name, action);
    SysFreeString(name);
    ASSERT_EQ(acc->accDoDefaultAction(sendaro), S_OK);
    hvtest::Pump();
    EXPECT_EQ(list->State(1), after) << action;
  }
}

// Scripting clients reach the object through IDispatch, by name and by DISPID: they see the
// same items, ticks and actions as the IAccessible calls.
TEST_F(CheckListBoxTest, ScriptingClientsSeeTheTicksThroughIDispatch) {
  TComPtr<IAccessible> acc;
  ASSERT_EQ(AccessibleObjectFromWindow(list->Handle(), OBJID_CLIENT, __uuidof(IAccessible), acc.put_void()), S_OK);
  TComPtr<IDispatch> dispatch;
  ASSERT_EQ(acc->QueryInterface(IID_IDispatch, dispatch.put_void()), S_OK);
  auto id = [&](const wchar_t* member) {
    DISPID dispId = DISPID_UNKNOWN;
    LPOLESTR name = const_cast<LPOLESTR>(member);
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &dispId), S_OK) << member;
    return dispId;
  };
  // A property read as a script makes it: the arguments last first, the child id optional.
  auto get = [&](DISPID member, std::vector<VARIANT> args, VARIANT& result) {
    std::reverse(args.begin(), args.end());
    DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    VariantInit(&result);
    return dispatch->Invoke(member, IID_NULL, 0, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &params, &result, nullptr,
                            nullptr);
  };
  auto item = [](long id) {
    VARIANT v;
    v.vt = VT_I2;  // scripts pass small numbers as 16-bit integers
    v.iVal = static_cast<SHORT>(id);
    return v;
  };
  VARIANT result;
  ASSERT_EQ(get(id(L"accChildCount"), {}, result), S_OK);
  EXPECT_EQ(result.lVal, 4);
  const struct {
    long item;
    const wchar_t* name;
    long state;
    const wchar_t* action;
  } cases[] = {{1, L"Corvista", STATE_SYSTEM_CHECKED, L"Uncheck"},
               {2, L"Sendaro", 0, L"Check"},
               {3, L"Pelmark", STATE_SYSTEM_MIXED, L"Check"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item);
    ASSERT_EQ(get(id(L"accName"), {item(c.item)}, result), S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_STREQ(result.bstrVal, c.name);
    VariantClear(&result);
    ASSERT_EQ(get(DISPID_ACC_STATE, {item(c.item)}, result), S_OK);
    EXPECT_EQ(result.lVal & (STATE_SYSTEM_CHECKED | STATE_SYSTEM_MIXED), c.state);
    ASSERT_EQ(get(id(L"ACCDEFAULTACTION"), {item(c.item)}, result), S_OK);
    EXPECT_STREQ(result.bstrVal, c.action);
    VariantClear(&result);
    ASSERT_EQ(get(DISPID_ACC_ROLE, {item(c.item)}, result), S_OK);
    EXPECT_EQ(result.lVal, ROLE_SYSTEM_CHECKBUTTON);
  }
  ASSERT_EQ(get(DISPID_ACC_ROLE, {}, result), S_OK);
  EXPECT_EQ(result.lVal, ROLE_SYSTEM_LIST) << "without a child id: the list";

  // The default action through IDispatch is the user's toggle too.
  list->OnClickCheck = [](TCheckListBox&, int) {};
  ASSERT_EQ(get(id(L"accDoDefaultAction"), {item(2)}, result), S_OK);
  hvtest::Pump();
  EXPECT_TRUE(list->Checked(1));

  LPOLESTR unknown = const_cast<LPOLESTR>(L"accNothing");
  DISPID none = 0;
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &unknown, 1, 0, &none), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(none, DISPID_UNKNOWN);
  EXPECT_EQ(get(DISPID_ACC_NAME, {item(9)}, result), E_INVALIDARG);
}

// A screen reader calls from a thread of its own (or another process): the object reaches it
// through COM's marshalling, and each call comes back to the list's thread while that thread
// goes on handling its messages.
TEST_F(CheckListBoxTest, AReaderOnAnotherThreadReadsAndTogglesTheTicks) {
  const HWND hwnd = list->Handle();
  std::atomic<bool> done{false};
  HRESULT found = E_FAIL, toggled = E_FAIL;
  std::vector<long> states;
  std::wstring name;
  std::thread reader([&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
      TComPtr<IAccessible> acc;
      found = AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, __uuidof(IAccessible), acc.put_void());
      if (SUCCEEDED(found)) {
        VARIANT child;
        child.vt = VT_I4;
        for (child.lVal = 1; child.lVal <= 4; ++child.lVal) {
          VARIANT state;
          VariantInit(&state);
          acc->get_accState(child, &state);
          states.push_back(state.lVal & (STATE_SYSTEM_CHECKED | STATE_SYSTEM_MIXED));
        }
        child.lVal = 3;
        BSTR text = nullptr;
        if (acc->get_accName(child, &text) == S_OK) name = text;
        SysFreeString(text);
        child.lVal = 2;
        toggled = acc->accDoDefaultAction(child);
      }
    }
    CoUninitialize();
    done = true;
  });
  const DWORD start = GetTickCount();
  while (!done && GetTickCount() - start < 20000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    hvtest::Pump();
  }
  if (!done) {
    reader.detach();  // stuck in a call: the suite cannot go on cleanly either way
    FAIL() << "the reader's calls did not come back";
  }
  reader.join();
  hvtest::Pump();
  ASSERT_EQ(found, S_OK);
  EXPECT_EQ(states, (std::vector<long>{STATE_SYSTEM_CHECKED, 0, STATE_SYSTEM_MIXED, STATE_SYSTEM_CHECKED}));
  EXPECT_EQ(name, L"Pelmark");
  EXPECT_EQ(toggled, S_OK);
  EXPECT_TRUE(list->Checked(1));
}

// Where a reader finds the items: each item's place on the screen, laid out from the list's own
// item height; the item under a point (the empty area below the items is the list itself, a
// point outside the window none of them); the way from item to item; focus and selection.
TEST_F(CheckListBoxTest, AReaderFindsTheItemsWhereTheyAreAndWalksFromOneToTheNext) {
  form->Show();
  hvtest::Pump();
  TComPtr<IAccessible> acc;
  ASSERT_EQ(AccessibleObjectFromWindow(list->Handle(), OBJID_CLIENT, __uuidof(IAccessible), acc.put_void()), S_OK);
  auto child = [](long id) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = id;
    return v;
  };
  const int itemHeight = static_cast<int>(SendMessageW(list->Handle(), LB_GETITEMHEIGHT, 0, 0));
  RECT client;
  GetClientRect(list->Handle(), &client);
  POINT origin{0, 0};
  ClientToScreen(list->Handle(), &origin);
  ASSERT_GT(client.bottom, 4 * itemHeight) << "room below the items";
  for (long id = 1; id <= 4; ++id) {
    SCOPED_TRACE(id);
    long left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(acc->accLocation(&left, &top, &width, &height, child(id)), S_OK);
    EXPECT_EQ(left, origin.x);
    EXPECT_EQ(top, origin.y + (id - 1) * itemHeight);
    EXPECT_EQ(width, client.right);
    EXPECT_EQ(height, itemHeight);
    VARIANT hit;
    ASSERT_EQ(acc->accHitTest(origin.x + client.right / 2, origin.y + (id - 1) * itemHeight + itemHeight / 2, &hit),
              S_OK);
    EXPECT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, id);
  }
  VARIANT hit;
  ASSERT_EQ(acc->accHitTest(origin.x + 5, origin.y + client.bottom - 2, &hit), S_OK);
  EXPECT_EQ(hit.vt, VT_I4);
  EXPECT_EQ(hit.lVal, CHILDID_SELF) << "below the items";
  RECT window;
  GetWindowRect(form->Handle(), &window);
  acc->accHitTest(window.right + 50, window.bottom + 50, &hit);
  EXPECT_EQ(hit.vt, VT_EMPTY) << "outside the window";

  const struct {
    long start, direction;
    long end;  // 0: none
  } ways[] = {
      {CHILDID_SELF, NAVDIR_FIRSTCHILD, 1}, {CHILDID_SELF, NAVDIR_LASTCHILD, 4}, {1, NAVDIR_NEXT, 2},
      {2, NAVDIR_DOWN, 3},                  {3, NAVDIR_PREVIOUS, 2},            {2, NAVDIR_UP, 1},
      {1, NAVDIR_PREVIOUS, 0},              {4, NAVDIR_NEXT, 0},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(testing::Message() << way.start << " direction " << way.direction);
    VARIANT end;
    const HRESULT hr = acc->accNavigate(way.direction, child(way.start), &end);
    if (way.end) {
      EXPECT_EQ(hr, S_OK);
      EXPECT_EQ(end.vt, VT_I4);
      EXPECT_EQ(end.lVal, way.end);
    } else {
      EXPECT_EQ(hr, S_FALSE);
      EXPECT_EQ(end.vt, VT_EMPTY);
    }
  }

  list->SetItemIndex(2);
  list->SetFocus();
  hvtest::Pump();
  VARIANT focus, selection;
  ASSERT_EQ(acc->get_accFocus(&focus), S_OK);
  EXPECT_EQ(focus.vt, VT_I4);
  EXPECT_EQ(focus.lVal, 3);
  ASSERT_EQ(acc->get_accSelection(&selection), S_OK);
  EXPECT_EQ(selection.lVal, 3);
}
