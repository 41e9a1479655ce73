// The password edit's Show Password menu and the paste action behind it; the main menu's
// hotkeys on macOS hosts.
#include <gtest/gtest.h>

#include "Forms2Support.h"
#include "FormsTestSupport.h"
#include "HvLXPasswordEdit.h"
#include "HvLXMainMenu.h"

using namespace hv;

namespace {

// Puts text on the real clipboard (or empties it) and restores nothing: tests own it.
bool SetClipboardText(const wchar_t* text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  bool ok = true;
  if (text) {
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(data), text, bytes);
    GlobalUnlock(data);
    ok = SetClipboardData(CF_UNICODETEXT, data) != nullptr;
  }
  CloseClipboard();
  return ok;
}

}  // namespace

TEST(PasswordEdit, ShowPasswordTogglesTheMaskAndReportsItAsChecked) {
  auto form = hvtest::MakeHostForm();
  auto* edit = form->Add<THvPasswordEdit>(L"Password", {8, 8, 150, 21});
  edit->SetText(L"secret");
  HWND h = edit->Handle();
  EXPECT_EQ(SendMessageW(h, EM_GETPASSWORDCHAR, 0, 0), 0x25CF);
  THvPasswordEditForm* hidden = edit->PasswordEditForm();
  ASSERT_NE(hidden, nullptr);
  EXPECT_FALSE(hidden->HandleAllocated()) << "the menu's form is never shown";
  TAction* show = hidden->ShowPasswordAction;
  EXPECT_EQ(show->Caption, L"&Show Password");
  EXPECT_EQ(hidden->HvEditPaste1->Caption, L"&Paste");

  TMenuItem& item = hidden->HvPopupMenu1->Items()[2];
  for (wchar_t expected : {L'\0', kPasswordMaskChar, L'\0'}) {
    item.Click();
    EXPECT_EQ(edit->PasswordChar(), expected);
    EXPECT_EQ(SendMessageW(h, EM_GETPASSWORDCHAR, 0, 0), static_cast<LRESULT>(expected));
    show->Update();
    EXPECT_EQ(show->Checked, expected == 0);
  }
  EXPECT_EQ(edit->Text(), L"secret");
}

TEST(PasswordEdit, AnOwnContextMenuReplacesTheShowPasswordMenu) {
  auto form = hvtest::MakeHostForm();
  auto* edit = form->Add<THvPasswordEdit>(L"Password", {8, 8, 150, 21});
  TPopupMenu own(form.get());
  EXPECT_EQ(edit->ContextMenuToShow(), edit->PasswordEditForm()->HvPopupMenu1);
  edit->SetPopupMenu(&own);
  EXPECT_EQ(edit->ContextMenuToShow(), &own);
  edit->SetPopupMenu(nullptr);
  edit->SetAllowPasswordToBeRevealed(false);
  EXPECT_EQ(edit->ContextMenuToShow(), nullptr) << "the edit's standard menu";

  // The native menu of the Show Password menu: Paste, a line, Show Password.
  std::vector<TMenuItem*> items;
  HMENU menu = edit->PasswordEditForm()->HvPopupMenu1->BuildNativeMenu(items);
  ASSERT_EQ(GetMenuItemCount(menu), 3);
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE;
  GetMenuItemInfoW(menu, 1, TRUE, &info);
  EXPECT_TRUE(info.fType & MFT_SEPARATOR);
  wchar_t caption[64] = {};
  GetMenuStringW(menu, 2, caption, 64, MF_BYPOSITION);
  EXPECT_STREQ(caption, L"&Show Password");
  DestroyMenu(menu);
}

TEST(EditPaste, OfferedOnlyWithTextOnTheClipboardAndAWritableTarget) {
  auto form = hvtest::MakeHostForm();
  auto* writable = form->Add<TEdit>(L"Writable", {8, 8, 150, 21});
  auto* readOnly = form->Add<TEdit>(L"ReadOnly", {8, 40, 150, 21});
  readOnly->SetReadOnly(true);
  SetForegroundWindow(form->Handle());
  THvEditPaste paste(nullptr);
  struct Case {
    const wchar_t* clipboard;
    TEdit* focus;
    bool enabled;
  } cases[] = {{L"pasted", writable, true}, {L"pasted", readOnly, false}, {nullptr, writable, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.clipboard ? "text, " : "empty, ") << c.focus->Name());
    ASSERT_TRUE(SetClipboardText(c.clipboard));
    c.focus->SetFocus();
    ASSERT_EQ(GetFocus(), c.focus->Handle());
    paste.Update();
    EXPECT_EQ(paste.Enabled, c.enabled);
  }
  ASSERT_TRUE(SetClipboardText(L"pasted"));
  writable->SetFocus();
  paste.Update();
  EXPECT_TRUE(paste.Execute());
  EXPECT_EQ(writable->Text(), L"pasted");
  // An update handler of the program decides instead.
  int updates = 0;
  paste.OnUpdate = [&](TAction& a) {
    ++updates;
    a.Enabled = false;
  };
  paste.Update();
  EXPECT_EQ(updates, 1);
  EXPECT_FALSE(paste.Enabled);
  SetClipboardText(nullptr);
}

TEST(MainMenu, OnMacTheCtrlShortcutLettersAreNoHotkeys) {
  TMainMenu menu(nullptr);
  menu.SetAutoHotkeys(TMenuAutoFlag::maManual);
  TMenuItem* file = menu.Items().Add(L"File", L"&Open Files");
  TMenuItem* edit = menu.Items().Add(L"Edit", L"&Edit");
  TMenuItem* comma = menu.Items().Add(L"Prefs", L"Settings&,");
  TMenuItem* own = menu.Items().Add(L"Own", L"Own");
  own->AutoHotkeys = TMenuAutoFlag::maAutomatic;
  {
    ScopedHostPins host({.wine = true, .mac = true});
    AdjustMainMenu(&menu);
  }
  EXPECT_EQ(file->Caption, L"Open Files");
  EXPECT_EQ(edit->Caption, L"&Edit");
  EXPECT_EQ(comma->Caption, L"Settings,");
  EXPECT_EQ(own->Caption, L"Own") << "a manual menu chooses no hotkeys";
  EXPECT_EQ(file->AutoHotkeys, TMenuAutoFlag::maManual) << "a parent mode takes the menu's";
  EXPECT_EQ(menu.AutoHotkeys(), TMenuAutoFlag::maManual);
}

TEST(MainMenu, AnAutomaticMenuGivesEachItemAFreeLetter) {
  TMainMenu menu(nullptr);
  TMenuItem* file = menu.Items().Add(L"File", L"&File");
  TMenuItem* find = menu.Items().Add(L"Find", L"Find");
  TMenuItem* line = menu.Items().Add(L"N1", L"-");
  TMenuItem* tools = menu.Items().Add(L"Tools", L"Tools && more");
  AdjustMainMenu(&menu);
  EXPECT_EQ(file->Caption, L"&File");
  EXPECT_EQ(find->Caption, L"F&ind") << "F is taken";
  EXPECT_EQ(line->Caption, L"-");
  EXPECT_EQ(tools->Caption, L"&Tools && more");
  AdjustMainMenu(nullptr);  // nothing without a menu
}
