// The form toolkit: exceptions that leave event handlers, layout at the screen's DPI, and
// native windows that are rebuilt without losing what the user entered.
#include <gtest/gtest.h>

#include <memory>

#include "FormsTestSupport.h"
#include "HvApplication.h"
#include "HvForms.h"
#include "HvLXShowException.h"
#include "HvScopeExit.h"
#include "HvScreen.h"
#include "HvVisualStyles.h"

#include <commctrl.h>

using namespace hv;

namespace {

using hvtest::ScopedPixelsPerInch;

RECT ClientRectOf(TWinControl* c) { return c->BoundsRect(); }

}  // namespace

TEST(Toolkit, ExceptionLeavingAHandlerIsShownInTheTitledBoxAndTheProgramGoesOn) {
  Application().SetTitle(L"Forms Toolkit Test");
  std::unique_ptr<TForm> form(TForm::Create<TForm>(nullptr));
  TButton* button = form->Add<TButton>(L"Button1", {8, 8, 75, 25});
  int clicks = 0;
  struct Case {
    std::function<void()> raise;
    const wchar_t* shown;  // nullptr: no box
  } cases[] = {
      {[] { throw EHvGeneralError(L"Disk is full"); }, L"Disk is full."},
      {[] { throw EHvGeneralError(L"Really (sure)"); }, L"Really (sure)"},
      {[] { throw EAbort(L"cancelled"); }, nullptr},
      {[] {
         try {
           throw EOSError(L"inner cause", 5);
         } catch (...) {
           ThrowOuter(EHvGeneralError(L"outer"));
         }
       },
       L"inner cause."},
      {[] { throw std::runtime_error("plain failure"); }, L"plain failure."},
  };
  form->HandleNeeded();
  for (size_t i = 0; i < std::size(cases); ++i) {
    button->OnClick = [&, i](TComponent*) {
      ++clicks;
      cases[i].raise();
    };
    hvtest::MessageBoxDismisser boxes(L"Forms Toolkit Test");
    SendMessageW(button->Handle(), BM_CLICK, 0, 0);
    if (cases[i].shown) {
      ASSERT_EQ(boxes.Texts.size(), 1u) << "case " << i;
      EXPECT_EQ(boxes.Texts[0], cases[i].shown) << "case " << i;
    } else {
      EXPECT_TRUE(boxes.Texts.empty()) << "case " << i;
    }
  }
  // Every click reached its handler: no exception ended the message processing.
  EXPECT_EQ(clicks, static_cast<int>(std::size(cases)));
  EXPECT_TRUE(IsWindow(form->Handle()));
}

TEST(Toolkit, LayoutIsScaledToTheScreenAndFollowsAnchors) {
  ScopedPixelsPerInch dpi(144);
  std::unique_ptr<TForm> form(TForm::Create<TForm>(nullptr));
  form->SetClientSize96(200, 100);
  TButton* fixed = form->Add<TButton>(L"Fixed", {10, 10, 50, 20});
  TMemo* stretched = form->Add<TMemo>(L"Stretched", {70, 10, 120, 80}, akLeft | akTop | akRight | akBottom);
  TButton* bottomRight = form->Add<TButton>(L"Corner", {150, 70, 40, 20}, akRight | akBottom);
  form->HandleNeeded();
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 150);
  EXPECT_EQ(ClientRectOf(fixed).left, 15);
  EXPECT_EQ(ClientRectOf(fixed).right, 90);

  RECT window = form->BoundsRect();
  form->SetBounds(window.left, window.top, window.right - window.left + 40, window.bottom - window.top + 20);
  EXPECT_EQ(ClientRectOf(fixed).left, 15);
  EXPECT_EQ(ClientRectOf(fixed).bottom, 45);
  RECT s = ClientRectOf(stretched);
  EXPECT_EQ(s.left, 105);
  EXPECT_EQ(s.right - s.left, 180 + 40);
  EXPECT_EQ(s.bottom - s.top, 120 + 20);
  RECT c = ClientRectOf(bottomRight);
  EXPECT_EQ(c.left, 225 + 40);
  EXPECT_EQ(c.top, 105 + 20);
  EXPECT_EQ(c.right - c.left, 60);
}

TEST(Toolkit, RecreatingTheWindowKeepsControlsAndWhatTheUserEntered) {
  std::unique_ptr<TForm> form(TForm::Create<TForm>(nullptr));
  TCheckBox* box = form->Add<TCheckBox>(L"Box", {8, 8, 120, 17});
  TEdit* edit = form->Add<TEdit>(L"Edit", {8, 30, 120, 21});
  form->HandleNeeded();
  HWND before = form->Handle();
  HWND boxHandle = box->Handle();
  SendMessageW(box->Handle(), BM_CLICK, 0, 0);
  SetWindowTextW(edit->Handle(), L"typed by the user");

  form->SetBorderStyle(TFormBorderStyle::bsDialog);  // only creation can change it

  EXPECT_NE(form->Handle(), before);
  EXPECT_FALSE(IsWindow(before));
  EXPECT_EQ(box->Handle(), boxHandle);
  EXPECT_EQ(GetParent(box->Handle()), form->Handle());
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(edit->Text(), L"typed by the user");
  EXPECT_TRUE(GetWindowLongW(form->Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
}

TEST(Toolkit, AWindowLeadsBackToItsObjectOnlyWhileItLives) {
  std::unique_ptr<TForm> form(TForm::Create<TForm>(nullptr));
  TEdit* edit = form->Add<TEdit>(L"Edit", {8, 30, 120, 21});
  form->HandleNeeded();
  const HWND firstForm = form->Handle(), firstEdit = edit->Handle();
  const HWND stranger = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  const ScopeExit strangerGone([&] { DestroyWindow(stranger); });
  EXPECT_EQ(TForm::FromHandle(firstForm), form.get());
  EXPECT_EQ(TWinControl::FromHandle(firstEdit), edit);
  EXPECT_EQ(TForm::FromHandle(firstEdit), nullptr) << "a control is no form";
  EXPECT_EQ(TWinControl::FromHandle(firstForm), nullptr) << "a form is no control";
  EXPECT_EQ(TForm::FromHandle(stranger), nullptr);
  EXPECT_EQ(TWinControl::FromHandle(stranger), nullptr);
  EXPECT_EQ(TForm::FromHandle(nullptr), nullptr);

  form->SetBorderStyle(TFormBorderStyle::bsDialog);  // a new window for the form
  EXPECT_EQ(TForm::FromHandle(firstForm), nullptr);
  EXPECT_EQ(TForm::FromHandle(form->Handle()), form.get());
  EXPECT_EQ(TWinControl::FromHandle(firstEdit), edit) << "the control kept its window";

  edit->DestroyHandle();
  EXPECT_EQ(TWinControl::FromHandle(firstEdit), nullptr);
  edit->CreateHandle(form->Handle());
  EXPECT_EQ(TWinControl::FromHandle(edit->Handle()), edit);
  // The class still gets what the control does not handle itself.
  SetWindowTextW(edit->Handle(), L"still an edit");
  EXPECT_EQ(edit->Text(), L"still an edit");
  EXPECT_EQ(SendMessageW(edit->Handle(), EM_LINELENGTH, 0, 0), 13);

  const HWND lastForm = form->Handle(), lastEdit = edit->Handle();
  form.reset();
  EXPECT_EQ(TForm::FromHandle(lastForm), nullptr);
  EXPECT_EQ(TWinControl::FromHandle(lastEdit), nullptr);
}

TEST(Toolkit, ControlsUseCommonControlsVersion6) {
  ASSERT_TRUE(EnsureCommonControlsV6());
  std::unique_ptr<TForm> form(TForm::Create<TForm>(nullptr));
  TButton* button = form->Add<TButton>(L"B", {8, 8, 75, 25});
  form->HandleNeeded();
  // Only the version 6 button answers the ideal-size query.
  SIZE ideal{};
  EXPECT_TRUE(SendMessageW(button->Handle(), BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
}

TEST(Toolkit, TheLibraryErrorDisplayUsesTheApplicationTitleWhileTheApplicationExists) {
  Application().SetTitle(L"Title Of The Program");
  hvtest::MessageBoxDismisser boxes(L"Title Of The Program");
  EHvGeneralError error(L"Shown through the library");
  ShowExceptionLX(&error);
  ASSERT_EQ(boxes.Texts.size(), 1u);
  EXPECT_EQ(boxes.Texts[0], L"Shown through the library.");
}

TEST(Toolkit, LabelsAreAsWideAsTheirTextAndKeepItThroughLayouts) {
  std::unique_ptr<TForm> form(TForm::Create<TForm>(nullptr));
  form->SetClientSize96(300, 60);
  TLabel* label = form->Add<TLabel>(L"Label", {10, 10, 5, 13});
  label->SetText(L"Detected Products:");
  TLabel* fixed = form->Add<TLabel>(L"Fixed", {10, 30, 5, 13});
  fixed->SetAutoSize(false);
  fixed->SetText(L"Detected Products:");
  form->HandleNeeded();

  HDC dc = GetDC(label->Handle());
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label->Handle(), WM_GETFONT, 0, 0)));
  SIZE text{};
  GetTextExtentPoint32W(dc, L"Detected Products:", 18, &text);
  SelectObject(dc, old);
  ReleaseDC(label->Handle(), dc);
  EXPECT_GE(ClientRectOf(label).right - ClientRectOf(label).left, text.cx);
  EXPECT_LT(ClientRectOf(fixed).right - ClientRectOf(fixed).left, text.cx);

  RECT window = form->BoundsRect();
  form->SetBounds(window.left, window.top, window.right - window.left + 40, window.bottom - window.top);
  EXPECT_GE(ClientRectOf(label).right - ClientRectOf(label).left, text.cx);
  label->SetText(L"X");
  EXPECT_LT(ClientRectOf(label).right - ClientRectOf(label).left, text.cx);
}
