// THvFormLX services: placement in the registry, redraw suspension, Ctrl shortcuts, the
// screen font list and the Mac display workaround.
#include <gtest/gtest.h>

#include <memory>

#include "FormsTestSupport.h"
#include "HvLXForms.h"
#include "HvLXHost.h"
#include "HvLXMacFix.h"
#include "HvLXScreenFonts.h"
#include "HvScreen.h"

using namespace hv;

namespace {

std::unique_ptr<THvFormLX> MakeForm(TFormBorderStyle border) {
  std::unique_ptr<THvFormLX> form(TForm::Create<THvFormLX>(nullptr));
  form->SetBorderStyle(border);
  form->SetClientSize96(200, 100);
  form->HandleNeeded();
  return form;
}

// A registry key of the test's own, removed before and after.
class ScratchKey {
 public:
  ScratchKey() : FPath(L"Software\\HalvernTest\\forms_" + std::to_wstring(GetCurrentProcessId())) {
    RegDeleteTreeW(HKEY_CURRENT_USER, FPath.c_str());
  }
  ~ScratchKey() { RegDeleteTreeW(HKEY_CURRENT_USER, FPath.c_str()); }
  const std::wstring& Path() const { return FPath; }
  void SetDword(const wchar_t* name, DWORD value) const {
    RegSetKeyValueW(HKEY_CURRENT_USER, FPath.c_str(), name, REG_DWORD, &value, sizeof(value));
  }
  void SetBinary(const wchar_t* name, const void* data, DWORD size) const {
    RegSetKeyValueW(HKEY_CURRENT_USER, FPath.c_str(), name, REG_BINARY, data, size);
  }
  DWORD ValueSize(const wchar_t* name, DWORD* type) const {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, FPath.c_str(), name, RRF_RT_ANY, type, nullptr, &size) != ERROR_SUCCESS) return 0;
    return size;
  }

 private:
  std::wstring FPath;
};

}  // namespace

TEST(FormLXPlacement, FixedSizeWindowsKeepTopAndLeftResizableOnesTheWhole44BytePlacement) {
  struct Case {
    TFormBorderStyle border;
    const wchar_t* written;
    DWORD type, size;
    const wchar_t* absent;
  } cases[] = {
      {TFormBorderStyle::bsSingle, L"Top", REG_DWORD, 4, L"WindowPlacement"},
      {TFormBorderStyle::bsSizeable, L"WindowPlacement", REG_BINARY, 44, L"Top"},
  };
  for (const Case& c : cases) {
    ScratchKey key;
    auto form = MakeForm(c.border);
    form->SetBounds(123, 77, 410, 320);
    ASSERT_TRUE(form->SaveForm(HKEY_CURRENT_USER, key.Path()));
    DWORD type = 0;
    EXPECT_EQ(key.ValueSize(c.written, &type), c.size) << c.written;
    EXPECT_EQ(type, c.type) << c.written;
    EXPECT_EQ(key.ValueSize(c.absent, &type), 0u) << c.written;

    auto other = MakeForm(c.border);
    other->SetBounds(10, 10, 410, 320);
    EXPECT_TRUE(other->LoadForm(HKEY_CURRENT_USER, key.Path())) << c.written;
    RECT r = other->BoundsRect();
    EXPECT_EQ(r.left, 123) << c.written;
    EXPECT_EQ(r.top, 77) << c.written;
    EXPECT_EQ(r.right - r.left, 410) << c.written;
    EXPECT_EQ(other->Position(), TPosition::poDesigned) << c.written;
    EXPECT_FALSE(other->Visible()) << c.written;  // restoring never shows a hidden window
  }
}

TEST(FormLXPlacement, OnlyTopStoredKeepsTheCurrentLeft) {
  ScratchKey key;
  key.SetDword(L"Top", 222);
  auto form = MakeForm(TFormBorderStyle::bsDialog);
  form->SetBounds(44, 10, 300, 200);
  EXPECT_TRUE(form->LoadForm(HKEY_CURRENT_USER, key.Path()));
  EXPECT_EQ(form->Top(), 222);
  EXPECT_EQ(form->Left(), 44);
}

TEST(FormLXPlacement, NothingIsRestoredWithoutTheKeyOrWithShiftCtrlHeld) {
  ScratchKey key;
  auto form = MakeForm(TFormBorderStyle::bsSingle);
  form->SetBounds(50, 60, 300, 200);
  EXPECT_FALSE(form->LoadForm(HKEY_CURRENT_USER, key.Path() + L"\\missing"));
  key.SetDword(L"Top", 300);
  key.SetDword(L"Left", 300);
  for (auto held : {std::initializer_list<int>{VK_SHIFT, VK_CONTROL}}) {
    hvtest::HeldKeys keys(held);
    EXPECT_FALSE(form->LoadForm(HKEY_CURRENT_USER, key.Path()));
  }
  EXPECT_EQ(form->Left(), 50);
  EXPECT_EQ(form->Top(), 60);
  {
    hvtest::HeldKeys onlyShift({VK_SHIFT});
    EXPECT_TRUE(form->LoadForm(HKEY_CURRENT_USER, key.Path()));
  }
  EXPECT_EQ(form->Left(), 300);
}

TEST(FormLXPlacement, AShorterPlacementValueIsNotApplied) {
  ScratchKey key;
  WINDOWPLACEMENT wp{};
  key.SetBinary(L"WindowPlacement", &wp, 43);
  auto form = MakeForm(TFormBorderStyle::bsSizeable);
  form->SetBounds(5, 6, 300, 200);
  EXPECT_FALSE(form->LoadForm(HKEY_CURRENT_USER, key.Path()));
  EXPECT_EQ(form->Left(), 5);
  EXPECT_EQ(form->BoundsRect().right, 305);
}

TEST(FormLXUpdate, NestedRedrawSuspensionEndsOnceAndAnUnmatchedEndStillRedraws) {
  auto form = MakeForm(TFormBorderStyle::bsSingle);
  form->Show();
  hvtest::Pump();
  // Suspended drawing hides the window from painting (the system clears its visible bit).
  form->BeginUpdate();
  form->BeginUpdate();
  EXPECT_EQ(form->UpdateCount(), 2);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  form->EndUpdate();
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  form->EndUpdate();
  EXPECT_TRUE(IsWindowVisible(form->Handle()));

  UpdateWindow(form->Handle());
  form->EndUpdate();
  EXPECT_EQ(form->UpdateCount(), 0);
  RECT update;
  EXPECT_TRUE(GetUpdateRect(form->Handle(), &update, FALSE));
}

TEST(FormLXKeys, CtrlShortcutsReachTheFocusedEdit) {
  auto form = MakeForm(TFormBorderStyle::bsSingle);
  TEdit* edit = form->Add<TEdit>(L"Edit", {8, 8, 150, 21});
  TButton* button = form->Add<TButton>(L"Button", {8, 40, 75, 25});
  form->Show();
  hvtest::Pump();
  edit->SetText(L"select me");
  edit->SetFocus();
  auto shortcut = [&](std::initializer_list<int> held, int key) {
    hvtest::HeldKeys keys(held);
    MSG msg{};
    msg.hwnd = GetFocus();
    msg.message = WM_KEYDOWN;
    msg.wParam = static_cast<WPARAM>(key);
    msg.lParam = 1;
    return form->IsShortCut(msg);
  };
  SendMessageW(edit->Handle(), EM_SETSEL, 0, 0);
  EXPECT_FALSE(shortcut({VK_CONTROL, VK_SHIFT}, 'A'));  // exactly Ctrl, nothing else
  EXPECT_TRUE(shortcut({VK_CONTROL}, 'A'));
  DWORD start = 0, end = 0;
  SendMessageW(edit->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 9u);

  EXPECT_TRUE(shortcut({VK_CONTROL}, 'X'));
  EXPECT_EQ(edit->Text(), L"");
  EXPECT_TRUE(shortcut({VK_CONTROL}, 'Z'));  // the edit undoes the cut
  EXPECT_EQ(edit->Text(), L"select me");
  SendMessageW(edit->Handle(), EM_SETSEL, 7, 9);
  EXPECT_TRUE(shortcut({VK_CONTROL}, 'C'));
  SendMessageW(edit->Handle(), EM_SETSEL, 0, 0);
  EXPECT_TRUE(shortcut({VK_CONTROL}, 'V'));
  EXPECT_EQ(edit->Text(), L"meselect me");

  button->SetFocus();
  EXPECT_FALSE(shortcut({VK_CONTROL}, 'A'));  // nothing to select in a button
  EXPECT_FALSE(shortcut({VK_CONTROL}, 'Z'));  // nor to undo
}

TEST(FormLXFonts, TheScreenFontListIsSortedUniqueAndStartsFromDefault) {
  Screen().SetFonts(std::nullopt);
  std::vector<std::wstring> fonts = SafeScreenFonts();
  ASSERT_GT(fonts.size(), 1u);
  EXPECT_NE(std::find(fonts.begin(), fonts.end(), L"Default"), fonts.end());
  for (size_t i = 1; i < fonts.size(); ++i)
    EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, fonts[i - 1].c_str(), -1, fonts[i].c_str(), -1),
              CSTR_LESS_THAN)
        << "at " << i;
}

TEST(FormLXFonts, AFailingEnumerationIsReportedOnceAndNeverRaised) {
  TFontEnumerators failing{[]() -> std::vector<std::wstring> { throw EOSError(L"enumeration broke", 8); },
                           []() -> std::vector<std::wstring> { return {L"Arial", L"Tahoma"}; }};
  hvtest::CapturedExceptions shown;
  {
    ScopedFontEnumerators pinned(failing);
    Screen().SetFonts(std::nullopt);
    EXPECT_TRUE(SafeScreenFonts().empty());
    EXPECT_TRUE(SafeScreenFonts().empty());
  }
  ASSERT_EQ(shown.Messages.size(), 1u);
  EXPECT_EQ(shown.ClassNames[0], L"EExtraInfoException");
  EXPECT_EQ(shown.Messages[0], L"enumeration broke");
  const std::wstring& extra = shown.ExtraInfos[0];
  size_t first = extra.find(L"_1_EnumFontFamiliesEx_=======================================================");
  size_t failure = extra.find(L"EOSError: enumeration broke");
  size_t second = extra.find(L"_2_EnumFontFamilies_=======================================================");
  size_t listed = extra.find(L"Arial\r\nTahoma");
  size_t end = extra.find(L"_3_end=======================================================");
  EXPECT_EQ(first, 0u);
  EXPECT_LT(first, failure);
  EXPECT_LT(failure, second);
  EXPECT_LT(second, listed);
  EXPECT_LT(listed, end);
  EXPECT_NE(end, std::wstring::npos);

  Screen().SetFonts(std::nullopt);
  EXPECT_FALSE(SafeScreenFonts().empty());  // the real enumeration again
}

namespace {
std::vector<std::wstring> gCreatedClasses;
LRESULT CALLBACK RecordCreation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    auto* cbt = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
    if (!IS_INTRESOURCE(cbt->lpcs->lpszClass)) gCreatedClasses.push_back(cbt->lpcs->lpszClass);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
}  // namespace

TEST(FormLXMacFix, AWindowOnNoMonitorOnAMacHostGetsTheFixerWindowFirst) {
  auto form = MakeForm(TFormBorderStyle::bsSingle);
  form->SetBounds(-20000, -20000, 200, 100);  // outside every monitor
  HHOOK hook = SetWindowsHookExW(WH_CBT, &RecordCreation, nullptr, GetCurrentThreadId());
  struct Case {
    HostPins pins;
    bool fixed;
  } cases[] = {{{.mac = true, .wineTricks = true}, true}, {{.mac = true, .wineTricks = false}, false}, {{.mac = false, .wineTricks = true}, false}};
  for (const Case& c : cases) {
    ScopedHostPins pins(c.pins);
    gCreatedClasses.clear();
    EXPECT_EQ(NeedsMacFix(form->Handle()), c.fixed);
    form->Show();
    form->Hide();
    bool ran = std::find(gCreatedClasses.begin(), gCreatedClasses.end(), L"HalvernFormLX_Mac_Fixer_Class") != gCreatedClasses.end();
    EXPECT_EQ(ran, c.fixed);
  }
  UnhookWindowsHookEx(hook);
  EXPECT_FALSE(FindWindowW(L"HalvernFormLX_Mac_Fixer_Class", nullptr));  // gone again
}
