// THvFormLX: creation from the resource chain, the first activation, taskbar windows and
// modal showing without a nested loop, on real windows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "FormsTestSupport.h"
#include "HvApplication.h"
#include "HvLXCursors.h"
#include "HvLXForms.h"
#include "HvLXFormsTesting.h"
#include "HvLXHost.h"

using namespace hv;

namespace {

class TBaseTestForm : public THvFormLX {
  HV_FORM_CLASS(TBaseTestForm, THvFormLX)
 public:
  using THvFormLX::THvFormLX;
  TButton* OkButton = nullptr;
};

class TDerivedTestForm : public TBaseTestForm {
  HV_FORM_CLASS(TDerivedTestForm, TBaseTestForm)
 public:
  using TBaseTestForm::TBaseTestForm;
  TEdit* NameEdit = nullptr;
};

class TNoResourceForm : public THvFormLX {
  HV_FORM_CLASS(TNoResourceForm, THvFormLX)
 public:
  using THvFormLX::THvFormLX;
};

const bool kResources = [] {
  RegisterFormResourceFor<TBaseTestForm>([](TBaseTestForm& f) {
    f.SetCaption(L"Base caption");
    f.SetBorderStyle(TFormBorderStyle::bsSingle);
    f.SetClientSize96(240, 120);
    f.OkButton = f.Add<TButton>(L"OkButton", {150, 86, 75, 25});
    f.OkButton->SetText(L"OK");
  });
  RegisterFormResourceFor<TDerivedTestForm>([](TDerivedTestForm& f) {
    f.SetCaption(L"Derived caption");  // read after the base's
    f.NameEdit = f.Add<TEdit>(L"NameEdit", {8, 8, 120, 21});
  });
  return true;
}();

// Makes `form` the application's main form for the scope of a test.
class ScopedMainForm {
 public:
  explicit ScopedMainForm(TForm* form) { Application().SetMainForm(form); }
  ~ScopedMainForm() { Application().SetMainForm(nullptr); }
};

template <class T>
std::unique_ptr<T> Make() {
  return std::unique_ptr<T>(TForm::Create<T>(nullptr));
}

}  // namespace

TEST(FormLXCreate, ResourcesOfTheClassAndItsAncestorsAreReadAncestorsFirst) {
  auto form = Make<TDerivedTestForm>();
  EXPECT_EQ(form->Caption(), L"Derived caption");
  ASSERT_NE(form->OkButton, nullptr);
  ASSERT_NE(form->NameEdit, nullptr);
  EXPECT_EQ(form->FindComponent(L"okbutton"), form->OkButton);
  EXPECT_EQ(form->PopupMode(), TPopupMode::pmAuto);
  EXPECT_EQ(form->BorderStyle(), TFormBorderStyle::bsSingle);
}

TEST(FormLXCreate, AClassWithoutAnyResourceIsRefused) {
  try {
    TForm::Create<TNoResourceForm>(nullptr);
    FAIL() << "created without a resource";
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), L"Resource TNoResourceForm not found");
  }
  // The bare base class needs none.
  auto bare = Make<THvFormLX>();
  EXPECT_EQ(bare->ClassName(), L"THvFormLX");
}

TEST(FormLXActivate, FirstActivationEventFiresOnceAfterActivateAndFitOnlyWhenVisible) {
  auto form = Make<TBaseTestForm>();
  std::vector<std::wstring> log;
  form->OnActivate = [&](TForm&) { log.push_back(L"activate"); };
  form->OnActivateFirstDone = [&](TForm& f) {
    RECT r = f.BoundsRect();
    log.push_back(r.left >= 0 && r.top >= 0 ? L"first (fitted)" : L"first (not fitted)");
  };
  form->HandleNeeded();
  form->SetBounds(-50, -40, 300, 200);  // partly before the work area
  SendMessageW(form->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);  // hidden: not yet
  EXPECT_FALSE(form->FirstActivateDone());
  log.clear();

  form->Show();
  hvtest::Pump();
  for (int i = 0; i < 3; ++i) SendMessageW(form->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0], L"activate");
  EXPECT_EQ(log[1], L"first (fitted)");
  EXPECT_EQ(std::count(log.begin(), log.end(), L"first (fitted)"), 1);
  EXPECT_TRUE(form->FirstActivateDone());
  hvtest::SaveScreenshot(form->Handle(), L"FormLX_base");
}

TEST(FormLXActivate, AWindowLargerThanTheWorkAreaIsCutToItAtFirstActivation) {
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
  const RECT wa = mi.rcWork;
  struct Case {
    TFormBorderStyle border;
    bool maximised;
    bool mac;
    bool fitted;
    bool scrolls;
  } cases[] = {
      {TFormBorderStyle::bsSingle, false, false, true, true},
      {TFormBorderStyle::bsSizeable, false, false, true, false},
      {TFormBorderStyle::bsSizeable, true, false, false, false},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    ScopedHostPins pins({.mac = c.mac});
    auto form = Make<THvFormLX>();
    form->SetBorderStyle(c.border);
    form->SetClientSize96(2000, 1500);
    form->HandleNeeded();
    form->SetBounds(wa.left + 30, wa.top + 30, 2000, 1500);
    if (c.maximised) form->SetWindowState(TWindowState::wsMaximized);
    RECT before = form->BoundsRect();
    form->Show();
    hvtest::Pump();
    SendMessageW(form->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    ASSERT_TRUE(form->FirstActivateDone()) << "case " << i;
    RECT r = form->BoundsRect();
    if (c.fitted) {
      EXPECT_EQ(r.left, wa.left) << "case " << i;
      EXPECT_EQ(r.top, wa.top) << "case " << i;
      EXPECT_EQ(r.right - r.left, wa.right - wa.left) << "case " << i;
      EXPECT_EQ(r.bottom - r.top, wa.bottom - wa.top) << "case " << i;
    } else if (!c.maximised) {
      EXPECT_EQ(r.left, before.left) << "case " << i;
    } else {
      EXPECT_EQ(form->WindowState(), TWindowState::wsMaximized) << "case " << i;
    }
    EXPECT_EQ(form->ScrollRange(SB_VERT) > 0, c.scrolls) << "case " << i;
  }
}

// Moves the mouse the way a user does to the middle of `window`.
void MoveMouseOver(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  hvtest::MovePointerTo({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

// Runs before the taskbar tests: once the main-window close test has run, Wine delivers
// no mouse input to this suite's windows any more.
// While work runs, the cursor stack holds the hourglass; a window asked for its cursor (by a
// mouse move) must not bring back its class arrow, over its controls and over a window
// disabled by a modal one alike. Once the stack is empty the class cursors are back.
TEST(FormLXCursor, TheWaitCursorStaysWhileTheStackHoldsIt) {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW), wait = LoadCursorW(nullptr, IDC_WAIT);
  auto owner = Make<TBaseTestForm>();
  owner->Show();
  auto dialog = Make<TDerivedTestForm>();
  dialog->StartModal();
  hvtest::Pump();
  RECT ownerRect;
  GetWindowRect(owner->Handle(), &ownerRect);
  SetWindowPos(dialog->Handle(), nullptr, ownerRect.right + 20, ownerRect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  hvtest::Pump();
  const HWND targets[] = {dialog->Handle(), dialog->OkButton->Handle(), dialog->NameEdit->Handle(), owner->Handle()};

  PushCursor(wait);
  for (HWND target : targets) {
    SetCursor(arrow);
    const WORD hit = IsWindowEnabled(target) ? HTCLIENT : static_cast<WORD>(HTERROR);
    SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(hit, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), wait) << "asked over window " << target;
  }
  SetCursor(arrow);
  MoveMouseOver(dialog->OkButton->Handle());
  EXPECT_EQ(GetCursor(), wait) << "after a real mouse move";
  PopCursor();

  SendMessageW(dialog->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(dialog->Handle()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), arrow);
  dialog->StopModal();
}

TEST(FormLXTaskBar, AWindowWithItsOwnButtonIsUnownedAppWindowAndListed) {
  auto main = Make<TBaseTestForm>();
  ScopedMainForm scope(main.get());
  auto other = Make<TBaseTestForm>();
  other->HandleNeeded();
  main->HandleNeeded();
  HWND before = other->Handle();
  other->SetTaskBarButton(true);
  main->SetTaskBarButton(true);
  EXPECT_NE(other->Handle(), before);  // rebuilt: only creation sets the owner
  EXPECT_TRUE(GetWindowLongW(other->Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
  ASSERT_EQ(hv::testing::TaskBarForms().size(), 2u);
  EXPECT_EQ(hv::testing::TaskBarForms()[0], main.get());  // the main window first, whenever it joins
  EXPECT_EQ(hv::testing::TaskBarForms()[1], other.get());
  other.reset();
  EXPECT_EQ(hv::testing::TaskBarForms().size(), 1u);
  main->SetTaskBarButton(false);
  EXPECT_TRUE(hv::testing::TaskBarForms().empty());

  auto child = Make<THvFormLX>();
  child->SetTaskBarButton(true);
  try {
    child->SetFormStyle(TFormStyle::fsMDIChild);
    FAIL();
  } catch (const EHvInternalError& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: An MDI child form cannot have a taskbar button.");
  }
}

TEST(FormLXTaskBar, ClosingTheMainWindowWaitsForTheOtherTaskBarWindows) {
  ScopedHostPins windows({.wine = false});  // Wine's workaround closes the main window once more
  ASSERT_FALSE(Application().Terminated());
  for (bool otherIsDestroyed : {true, false}) {
    auto main = Make<TBaseTestForm>();
    ScopedMainForm scope(main.get());
    main->SetTaskBarButton(true);
    int mainCloses = 0;
    main->OnClose = [&](TForm&, TCloseAction& action) {
      // The second close is the one that would end the program; keep the test running.
      if (++mainCloses == 2) action = TCloseAction::caNone;
    };
    auto* other = TForm::Create<TBaseTestForm>(nullptr);
    other->SetTaskBarButton(true);
    other->OnClose = [&](TForm&, TCloseAction& action) {
      action = otherIsDestroyed ? TCloseAction::caFree : TCloseAction::caHide;
    };
    main->Show();
    other->Show();
    hvtest::Pump();
    main->Close();
    EXPECT_FALSE(main->Visible());
    EXPECT_TRUE(hv::testing::MainWindowClosePending());
    EXPECT_EQ(mainCloses, 1);
    EXPECT_FALSE(Application().Terminated());

    other->Close();
    hvtest::Pump();
    EXPECT_EQ(mainCloses, 2) << (otherIsDestroyed ? "destroyed" : "hidden");
    if (!otherIsDestroyed) delete other;
    main->SetTaskBarButton(false);
  }
}

TEST(FormLXModal, StartModalDisablesTheOthersAndStopModalGivesActivationBack) {
  auto owner = Make<TBaseTestForm>();
  owner->Show();
  hvtest::Pump();
  ASSERT_TRUE(owner->Active());
  auto dialog = Make<TBaseTestForm>();

  dialog->StartModal();
  hvtest::Pump();
  EXPECT_TRUE(dialog->Visible());
  EXPECT_FALSE(IsWindowEnabled(owner->Handle()));
  ASSERT_EQ(hv::testing::ModalForms().size(), 1u);
  EXPECT_EQ(hv::testing::ModalForms()[0], dialog.get());

  // A click or an activation that reaches the disabled window ends up at the modal one.
  SetActiveWindow(owner->Handle());
  hvtest::Pump();
  EXPECT_EQ(GetActiveWindow(), dialog->Handle());
  SendMessageW(owner->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(owner->Handle()), MAKELPARAM(HTERROR, WM_LBUTTONDOWN));
  hvtest::Pump();
  EXPECT_EQ(GetActiveWindow(), dialog->Handle());

  dialog->StopModal();
  EXPECT_FALSE(dialog->Visible());
  EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
  EXPECT_TRUE(hv::testing::ModalForms().empty());
  EXPECT_EQ(GetActiveWindow(), owner->Handle());
}

TEST(FormLXModal, StopModalWhileAnotherWindowIsActiveLeavesActivationAlone) {
  auto owner = Make<TBaseTestForm>();
  owner->Show();
  hvtest::Pump();
  auto dialog = Make<TBaseTestForm>();
  dialog->StartModal();
  auto third = Make<TBaseTestForm>();
  third->Show();  // a window that came up over the modal one
  hvtest::Pump();
  ASSERT_EQ(GetActiveWindow(), third->Handle());
  dialog->StopModal();
  EXPECT_EQ(GetActiveWindow(), third->Handle());
  EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
}

TEST(FormLXModal, InvalidStartsAreRefusedWithTheirTexts) {
  auto visible = Make<TBaseTestForm>();
  visible->Show();
  auto disabled = Make<TBaseTestForm>();
  EnableWindow(disabled->Handle(), FALSE);
  auto main = Make<TBaseTestForm>();
  auto taskbar = Make<TBaseTestForm>();
  taskbar->SetTaskBarButton(true);
  struct Case {
    THvFormLX* form;
    std::wstring className;
    std::wstring message;
  } cases[] = {
      {visible.get(), L"EInvalidOperation", L"Cannot make a visible window modal"},
      {disabled.get(), L"EHvGeneralError", L"Cannot make a disabled window modal"},
      {main.get(), L"EHvInternalError", L"Internal Error: This operation is not valid for a main or MDI form."},
      {taskbar.get(), L"EHvInternalError", L"Internal Error: This operation is not valid for a form with a TaskBar button."},
  };
  ScopedMainForm scope(main.get());
  for (size_t i = 0; i < std::size(cases); ++i) {
    try {
      cases[i].form->StartModal();
      ADD_FAILURE() << "case " << i << " started";
    } catch (const Exception& e) {
      EXPECT_EQ(e.ClassName(), cases[i].className) << "case " << i;
      EXPECT_EQ(e.Message(), cases[i].message) << "case " << i;
    }
  }
  EXPECT_TRUE(IsWindowEnabled(visible->Handle()));  // nothing was left disabled
  EXPECT_TRUE(hv::testing::ModalForms().empty());
  taskbar->SetTaskBarButton(false);
}

TEST(FormLXModal, DestroyingAModalWindowGivesTheOthersBackTheirInput) {
  auto owner = Make<TBaseTestForm>();
  owner->Show();
  auto dialog = Make<TBaseTestForm>();
  dialog->StartModal();
  ASSERT_FALSE(IsWindowEnabled(owner->Handle()));
  dialog.reset();
  EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
  EXPECT_TRUE(hv::testing::ModalForms().empty());
}

TEST(FormLXModal, UnderWineADialogOverARunningModalWindowStaysOnTopWhileShown) {
  for (bool wine : {true, false}) {
    ScopedHostPins pins({.wine = wine});
    auto progress = Make<TBaseTestForm>();
    progress->StartModal();
    auto dialog = Make<TBaseTestForm>();
    bool topmostWhileShown = false;
    dialog->OnShow = [&](TForm& f) {
      topmostWhileShown = GetWindowLongW(f.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST;
      f.SetModalResult(mrOk);
      PostMessageW(f.Handle(), WM_NULL, 0, 0);
    };
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_EQ(topmostWhileShown, wine);
    EXPECT_FALSE(GetWindowLongW(dialog->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) << wine;
    EXPECT_EQ(dialog->FormStyle(), TFormStyle::fsNormal);
    progress->StopModal();
  }
}

TEST(FormLXShow, TheApplicationWindowNeverShowsATaskBarEntry) {
  auto form = Make<TBaseTestForm>();
  form->Show();
  LONG ex = GetWindowLongW(Application().Handle(), GWL_EXSTYLE);
  EXPECT_FALSE(ex & WS_EX_APPWINDOW);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
}
