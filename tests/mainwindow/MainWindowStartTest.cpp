// The main window as the user first meets it: whole, painted and busy before it looks for
// the products, and open to input only once the list holds what it found.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "FormsTestSupport.h"
#include "HvChildWindows.h"
#include "HalvernUninstallerMainFrm.h"
#include "HvLXCursors.h"
#include "HvLXForms.h"
#include "HvLXUserInterfaceUnits.h"
#include "HvScopeExit.h"
#include "HvTracePlanter.h"

namespace {

// The window and every control of it visible, with nothing left to paint.
bool PaintedWhole(HWND window) {
  if (!IsWindowVisible(window) || GetUpdateRect(window, nullptr, FALSE)) return false;
  const std::vector<HWND> children = hv::ChildWindowsOf(window);
  for (HWND h : children)
    if (!IsWindowVisible(h) || GetUpdateRect(h, nullptr, FALSE)) return false;
  return !children.empty();
}

// The controls that act on the list, or start a detection of their own.
std::vector<HWND> ListControls(hv::THalvernUninstallerMainForm& form) {
  return {form.UninstallProductBtn->Handle(), form.ProductList->Handle(), form.DeleteInstallationFolderBox->Handle()};
}

class MainWindowStart : public testing::Test {
 protected:
  void SetUp() override {
    hv::InitializeHvLXForms();
    hv::RegisterHalvernUninstallerMainForm();
    hv::PushCursor(FArrow);  // what the user had before; it must come back
  }
  void TearDown() override {
    hv::Application().SetMainForm(nullptr);
    hv::PopCursor();
    hvplant::RunScenario(L"clean");
  }
  // Shows the window (its first activation happens in there) and checks it before any look.
  std::unique_ptr<hv::THalvernUninstallerMainForm> ShowBusy() {
    std::unique_ptr<hv::THalvernUninstallerMainForm> form(hv::TForm::Create<hv::THalvernUninstallerMainForm>(nullptr));
    hv::Application().SetMainForm(form.get());
    form->HandleNeeded();
    for (HWND control : ListControls(*form)) EXPECT_FALSE(IsWindowEnabled(control)) << "made enabled, before any look";
    form->Show();
    EXPECT_TRUE(form->FirstActivateDone());
    EXPECT_TRUE(PaintedWhole(form->Handle()));
    EXPECT_EQ(form->ProductList->Items().Count(), 0);
    EXPECT_EQ(hv::StackedCursor(), FWait);
    for (HWND control : ListControls(*form)) EXPECT_FALSE(IsWindowEnabled(control)) << "takes input before the look";
    EXPECT_TRUE(IsWindowEnabled(form->CleanOutTempFolderBox->Handle()));
    return form;
  }
  // Handles messages until the first detection has run.
  static void AwaitDetection(hv::THalvernUninstallerMainForm& form) {
    for (int i = 0; i < 1000 && !IsWindowEnabled(form.UninstallProductBtn->Handle()); ++i) {
      hvtest::Pump();
      Sleep(10);
    }
  }
  void ExpectOpen(hv::THalvernUninstallerMainForm& form) {
    EXPECT_EQ(hv::StackedCursor(), FArrow);
    for (HWND control : ListControls(form)) EXPECT_TRUE(IsWindowEnabled(control));
  }

  hv::THvUserInterfaceUnits FUnits{true};
  const HCURSOR FArrow = LoadCursorW(nullptr, IDC_ARROW), FWait = LoadCursorW(nullptr, IDC_WAIT);
};

TEST_F(MainWindowStart, PaintsBusyBeforeItLooksAndOpensOnceTheListIsFilled) {
  hvplant::RunScenario(L"both");
  const auto form = ShowBusy();
  AwaitDetection(*form);
  EXPECT_EQ(form->ProductList->Items().Count(), 2);
  EXPECT_EQ(form->ResultsLog->Text(), L"Corvista is ready to be uninstalled.\r\nSendaro is ready to be uninstalled.");
  ExpectOpen(*form);
}

TEST_F(MainWindowStart, AFailedLookIsShownAndStillOpensTheWindow) {
  const std::wstring entry = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{A0000000-0000-0000-0000-0000000000FF}";
  hvplant::SetDword(HKEY_LOCAL_MACHINE, entry, L"UninstallString", 7);
  const hv::ScopeExit removed([&] { hvplant::DeleteTree(HKEY_LOCAL_MACHINE, entry); });
  hvtest::CapturedExceptions shown;
  const auto form = ShowBusy();
  AwaitDetection(*form);
  EXPECT_EQ(shown.Messages, std::vector<std::wstring>{L"Invalid data type for 'UninstallString'"});
  ExpectOpen(*form);
}

}  // namespace
