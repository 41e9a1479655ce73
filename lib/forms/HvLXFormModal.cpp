// THvFormLX shown modally: ShowModal with the Wine stay-on-top repair, and StartModal and
// StopModal, which make a window modal without a nested message loop.
#include "HvLXForms.h"

#include "HvApplication.h"
#include "HvLXFormsShared.h"
#include "HvLXFormsTesting.h"
#include "HvLXHost.h"
#include "HvScopeExit.h"

namespace hv {
namespace {

// Built on first use: a window may come or go during the program's static start-up or end.
std::vector<THvFormLX*>& ModalList() {
  static std::vector<THvFormLX*> list;
  return list;
}

}  // namespace

void detail::ForgetModalForm(THvFormLX* form) { EraseForm(ModalList(), form); }

const std::vector<THvFormLX*>& testing::ModalForms() { return ModalList(); }

int THvFormLX::ShowModal() {
  FixMacDisplayIfNeeded();
  // Under Wine a dialog opened over a running progress window would fall behind it.
  FStayOnTopWhileModal = IsWine() && !ModalList().empty() && FormStyle() == TFormStyle::fsNormal;
  if (FStayOnTopWhileModal) SetFormStyle(TFormStyle::fsStayOnTop);
  // The base ends the loop itself, except when it fails.
  ScopeExit endLoop([this] { ModalLoopEnded(); });
  int result = TForm::ShowModal();
  endLoop.Dismiss();
  FixMacDisplayIfNeeded();
  return result;
}

void THvFormLX::ModalLoopEnded() {
  // Restored while still shown: Wine keeps the band of a hidden window.
  if (FStayOnTopWhileModal) SetFormStyle(TFormStyle::fsNormal);
  FStayOnTopWhileModal = false;
}

void THvFormLX::CheckModalValidity() const {
  if (Application().MainForm() == this || FormStyle() == TFormStyle::fsMDIForm ||
      FormStyle() == TFormStyle::fsMDIChild)
    throw EHvInternalError(L"Internal Error: This operation is not valid for a main or MDI form.");
  if (FTaskBarButton)
    throw EHvInternalError(L"Internal Error: This operation is not valid for a form with a TaskBar button.");
}

void THvFormLX::StartModal() {
  FixMacDisplayIfNeeded();
  CheckModalValidity();
  if (Visible()) throw EInvalidOperation(L"Cannot make a visible window modal");
  if (!Enabled()) throw EHvGeneralError(L"Cannot make a disabled window modal");
  SaveActiveWindow = GetActiveWindow();
  HandleNeeded();
  WindowList = DisableTaskWindows(Handle());
  SetModal(true);
  ScopeExit undoModal([this] {
    SetModal(false);
    EnableTaskWindows(WindowList);
    WindowList.clear();
  });
  Show();
  undoModal.Dismiss();
  ModalList().push_back(this);
  Application().PushModalWindow(Handle());
}

void THvFormLX::StopModal(bool Skip_SetActiveWindow) {
  EraseForm(ModalList(), this);
  FixMacDisplayIfNeeded();
  CheckModalValidity();
  if (!Active()) SaveActiveWindow = nullptr;
  if (HandleAllocated()) Application().PopModalWindow(Handle());
  Hide();
  SetModal(false);
  EnableTaskWindows(WindowList);
  WindowList.clear();
  if (SaveActiveWindow) {
    if (!Skip_SetActiveWindow && IsWindow(SaveActiveWindow)) SetActiveWindow(SaveActiveWindow);
    SaveActiveWindow = nullptr;
  }
}

}  // namespace hv
