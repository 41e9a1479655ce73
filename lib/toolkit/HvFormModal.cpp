// Modal forms: the task windows disabled around a modal window, and ShowModal's nested
// message loop.
#include "HvForms.h"

#include "HvApplication.h"
#include "HvScopeExit.h"

namespace hv {

namespace {
struct TaskWindowsContext {
  HWND except;
  std::vector<HWND>* list;
};
BOOL CALLBACK CollectTaskWindow(HWND hwnd, LPARAM lp) {
  auto* c = reinterpret_cast<TaskWindowsContext*>(lp);
  if (hwnd != c->except && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) c->list->push_back(hwnd);
  return TRUE;
}
}  // namespace

std::vector<HWND> DisableTaskWindows(HWND except) {
  std::vector<HWND> windows;
  TaskWindowsContext ctx{except, &windows};
  EnumThreadWindows(GetCurrentThreadId(), &CollectTaskWindow, reinterpret_cast<LPARAM>(&ctx));
  for (HWND h : windows) EnableWindow(h, FALSE);
  return windows;
}

void EnableTaskWindows(const std::vector<HWND>& windows) {
  for (HWND h : windows)
    if (IsWindow(h)) EnableWindow(h, TRUE);
}

int TForm::ShowModal() {
  if (Visible()) throw EInvalidOperation(L"Cannot make a visible window modal");
  if (!Enabled()) throw EInvalidOperation(L"Cannot make a modal window disabled");
  HWND activeBefore = GetActiveWindow();
  HandleNeeded();
  std::vector<HWND> disabled = DisableTaskWindows(FHandle);
  FModal = true;
  FModalLoop = true;
  FModalResult = mrNone;
  Application().PushModalWindow(FHandle);
  // A failure leaves the window as it is but gives the others back their input.
  ScopeExit undoModal([&] {
    FModal = false;
    FModalLoop = false;
    Application().PopModalWindow(FHandle);
    EnableTaskWindows(disabled);
  });
  Show();
  while (FModalResult == mrNone) {
    if (!Application().HandleMessage() || Application().Terminated()) FModalResult = mrCancel;
    if (FModalResult != mrNone) {
      // The result closes the window unless its close handler refuses.
      TCloseAction action = TCloseAction::caHide;
      DoClose(action);
      if (action == TCloseAction::caNone && !Application().Terminated()) FModalResult = mrNone;
    }
  }
  undoModal.Dismiss();
  ModalLoopEnded();
  Application().PopModalWindow(FHandle);
  EnableTaskWindows(disabled);
  if (activeBefore && IsWindow(activeBefore)) SetActiveWindow(activeBefore);
  Hide();
  FModal = false;
  FModalLoop = false;
  if (Application().OnModalEnd) Application().OnModalEnd();
  return FModalResult;
}

}  // namespace hv
