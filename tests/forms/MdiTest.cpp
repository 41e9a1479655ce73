// A small MDI frame with one child: the child's tool bar and status bar move into the
// frame while it is the active maximised child, and come back when it is restored.
#include <gtest/gtest.h>

#include <memory>

#include "FormsTestSupport.h"
#include "HvLXForms.h"
#include "HvScreen.h"

#include <commctrl.h>

using namespace hv;

namespace {

class TTestStatusBar : public TWinControl {
 public:
  using TWinControl::TWinControl;

 protected:
  void CreateParams(TControlParams& params) override {
    params.ClassName = STATUSCLASSNAMEW;
    params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE;
  }
  void InitializeHandle() override {
    int parts[2] = {ScaleForDpi(120), -1};
    SendMessageW(Handle(), SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  }
};

class TTestBar : public TWinControl {
 public:
  using TWinControl::TWinControl;

 protected:
  void CreateParams(TControlParams& params) override {
    params.ClassName = WC_STATICW;
    params.Style |= SS_ETCHEDFRAME;
  }
};

class MdiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame.reset(TForm::Create<THvFormLX>(nullptr));
    frame->SetCaption(L"MDI frame");
    frame->SetFormStyle(TFormStyle::fsMDIForm);
    frame->SetClientSize96(480, 320);
    Application().SetMainForm(frame.get());
    frame->SetMDIControlBar(frame->Add<TTestBar>(L"ControlBar", {0, 0, 480, 28}, akLeft | akTop | akRight));
    frame->SetMDIStatusBar(frame->Add<TTestStatusBar>(L"StatusBar", {0, 298, 480, 22}, akLeft | akRight | akBottom));
    frame->Show();

    child = TForm::Create<THvFormLX>(frame.get());
    child->SetCaption(L"Document");
    child->SetFormStyle(TFormStyle::fsMDIChild);
    child->SetClientSize96(240, 140);
    child->SetMDIToolBar(child->Add<TTestBar>(L"ToolBar", {0, 0, 240, 24}));
    child->SetMDIStatusBar(child->Add<TTestStatusBar>(L"ChildStatus", {0, 118, 240, 22}));
    child->SetAutoNilRef(&child);
    child->Show();
    hvtest::Pump();
  }
  void TearDown() override {
    frame.reset();
    Application().SetMainForm(nullptr);
  }
  std::unique_ptr<THvFormLX> frame;
  THvFormLX* child = nullptr;
};

}  // namespace

TEST_F(MdiTest, TheActiveMaximisedChildLendsItsBarsToTheFrame) {
  ASSERT_TRUE(frame->ClientHandle());
  ASSERT_EQ(GetParent(child->Handle()), frame->ClientHandle());
  HWND toolBar = child->MDIToolBar()->Handle();
  HWND status = child->MDIStatusBar()->Handle();
  EXPECT_FALSE(child->MDIChildActivated());

  SendMessageW(frame->ClientHandle(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child->Handle()), 0);
  hvtest::Pump();
  EXPECT_TRUE(child->MDIChildActivated());
  EXPECT_EQ(GetParent(toolBar), frame->MDIControlBar()->Handle());
  EXPECT_EQ(GetParent(status), frame->Handle());
  // Placed after the frame's first panel and a 4-pixel gap.
  RECT frameBar = frame->MDIStatusBar()->BoundsRect(), merged;
  GetWindowRect(status, &merged);
  MapWindowPoints(nullptr, frame->Handle(), reinterpret_cast<POINT*>(&merged), 2);
  EXPECT_EQ(merged.left, frameBar.left + ScaleForDpi(120) + 4);
  hvtest::SaveScreenshot(frame->Handle(), L"MdiFrame_merged");

  SendMessageW(frame->ClientHandle(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(child->Handle()), 0);
  hvtest::Pump();
  EXPECT_FALSE(child->MDIChildActivated());
  EXPECT_EQ(GetParent(toolBar), child->Handle());
  EXPECT_EQ(GetParent(status), child->Handle());
}

TEST_F(MdiTest, MdiWindowsRefuseTheOperationsThatAreNotTheirs) {
  for (THvFormLX* form : {frame.get(), child}) {
    try {
      form->StartModal();
      ADD_FAILURE() << "started modal";
    } catch (const EHvInternalError& e) {
      EXPECT_EQ(e.Message(), L"Internal Error: This operation is not valid for a main or MDI form.");
    }
  }
  try {
    frame->MDIChild_UpdateMdiDockState();
    FAIL();
  } catch (const EHvInternalError& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: MDIChild_UpdateMdiDockState can only be called from MDI child forms.");
  }
}

TEST_F(MdiTest, ClosingAChildFreesIt) {
  ASSERT_NE(child, nullptr);
  HWND handle = child->Handle();
  child->Close();
  hvtest::Pump();
  EXPECT_EQ(child, nullptr);  // cleared through AutoNilRef when it was destroyed
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_EQ(SendMessageW(frame->ClientHandle(), WM_MDIGETACTIVE, 0, 0), 0);
}
