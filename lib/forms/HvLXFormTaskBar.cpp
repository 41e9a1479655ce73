// THvFormLX's own taskbar buttons: the list of windows that have one, and the main window
// that, when closed, waits for the others before the program ends.
#include "HvLXForms.h"

#include <algorithm>

#include "HvApplication.h"
#include "HvLXFormsShared.h"
#include "HvLXFormsTesting.h"
#include "HvLXHost.h"
#include "HvScopeExit.h"

namespace hv {
namespace {

// Built on first use: a window may come or go during the program's static start-up or end.
std::vector<THvFormLX*>& TaskBarList() {
  static std::vector<THvFormLX*> list;
  return list;
}
bool gMainWindowClosePending = false;

// Other taskbar windows that keep the program alive while the main window waits to close.
// A hidden one no longer does: nobody could bring it back to end the program.
bool OtherTaskBarWindowsOpen() {
  TForm* main = Application().MainForm();
  for (THvFormLX* f : TaskBarList())
    if (f != main && !f->Destroying() && (f->Visible() || f->Showing())) return true;
  return false;
}

}  // namespace

void detail::CloseMainWindowIfPending() {
  auto* main = dynamic_cast<THvFormLX*>(Application().MainForm());
  if (!gMainWindowClosePending || !main || main->Destroying() || OtherTaskBarWindowsOpen()) return;
  if (std::find(TaskBarList().begin(), TaskBarList().end(), main) == TaskBarList().end()) return;
  main->Close();
  if (UseWineTricks(L"unknown") && main->HandleAllocated()) PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
}

const std::vector<THvFormLX*>& testing::TaskBarForms() { return TaskBarList(); }

bool testing::MainWindowClosePending() { return gMainWindowClosePending; }

void THvFormLX::SetTaskBarButton(bool value) {
  if (value == FTaskBarButton) return;
  bool listed = PopupMode() != TPopupMode::pmExplicit;
  if (FTaskBarButton && listed) {
    EraseForm(TaskBarList(), this);
    detail::CloseMainWindowIfPending();
  }
  FTaskBarButton = value;
  if (FTaskBarButton && listed) {
    if (Application().MainForm() == this) {
      TaskBarList().insert(TaskBarList().begin(), this);
      gMainWindowClosePending = false;
    } else {
      TaskBarList().push_back(this);
    }
  }
  if (!Destroying()) RecreateWnd();
}

void THvFormLX::SetFormStyle(TFormStyle style) {
  if (style == TFormStyle::fsMDIChild && FTaskBarButton)
    throw EHvInternalError(L"Internal Error: An MDI child form cannot have a taskbar button.");
  TForm::SetFormStyle(style);
}

void THvFormLX::CreateParams(TCreateParams& params) {
  if (FTaskBarButton && PopupMode() != TPopupMode::pmExplicit) {
    // Computed as if unowned by the active window, so it gets a button of its own.
    TPopupMode saved = PopupMode();
    SetPopupModeField(TPopupMode::pmNone);
    ScopeExit restore([this, saved] { SetPopupModeField(saved); });
    TForm::CreateParams(params);
  } else {
    TForm::CreateParams(params);
  }
  if (FTaskBarButton) {
    params.ExStyle |= WS_EX_APPWINDOW;
    if (!PopupParent() && UseWineTricks(L"unknown")) params.WndParent = nullptr;
  }
}

void THvFormLX::DoClose(TCloseAction& action) {
  TForm::DoClose(action);
  if (FormStyle() == TFormStyle::fsMDIChild) action = TCloseAction::caFree;
  if (Application().MainForm() == this && FTaskBarButton && PopupMode() != TPopupMode::pmExplicit &&
      action != TCloseAction::caNone && OtherTaskBarWindowsOpen()) {
    // The program ends when the last other taskbar window goes, not now.
    action = TCloseAction::caNone;
    gMainWindowClosePending = true;
    if (!Showing()) Hide();
  }
}

}  // namespace hv
