#include "HvLXForms.h"

#include <algorithm>

#include "HvWindows.h"

#include <commctrl.h>
#include <uxtheme.h>

#include "HvApplication.h"
#include "HvLXFontBoost.h"
#include "HvLXHost.h"
#include "HvLXMacFix.h"
#include "HvLXMonitorFit.h"
#include "HvMessageIds.h"
#include "HvScreen.h"

namespace hv {
namespace {

struct FormsUnit {
  std::vector<THvFormLX*> taskBarForms;
  bool mainWindowClosePending = false;
  std::vector<THvFormLX*> modalForms;
  UINT wineMdiChildRestored = 0;
  int clientUpdateCount = 0;
  bool windowUpdateLocked = false;
  bool applicationWindowStyleAdjusted = false;
};

FormsUnit& Unit() {
  static FormsUnit unit;
  return unit;
}

void Erase(std::vector<THvFormLX*>& list, THvFormLX* form) {
  list.erase(std::remove(list.begin(), list.end(), form), list.end());
}

// Other taskbar windows that keep the program alive while the main window waits to close.
// A hidden one no longer does: nobody could bring it back to end the program.
bool OtherTaskBarWindowsOpen() {
  TForm* main = Application().MainForm();
  for (THvFormLX* f : Unit().taskBarForms)
    if (f != main && !f->Destroying() && (f->Visible() || f->Showing())) return true;
  return false;
}

void CloseMainWindowIfPending() {
  FormsUnit& unit = Unit();
  auto* main = dynamic_cast<THvFormLX*>(Application().MainForm());
  if (!unit.mainWindowClosePending || !main || main->Destroying() || OtherTaskBarWindowsOpen()) return;
  if (std::find(unit.taskBarForms.begin(), unit.taskBarForms.end(), main) == unit.taskBarForms.end()) return;
  main->Close();
  if (UseWineTricks(L"unknown") && main->HandleAllocated()) PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
}

}  // namespace

const std::vector<THvFormLX*>& TaskBarForms() { return Unit().taskBarForms; }
bool MainWindowClosePending() { return Unit().mainWindowClosePending; }
const std::vector<THvFormLX*>& ModalForms() { return Unit().modalForms; }

void InitializeHvLXForms() {
  static bool done = false;
  if (done) return;
  done = true;
  Screen().SetPixelsPerInch(MulDiv(Screen().PixelsPerInch(), GetFontBoostPercent(), 100));
  Application().SetMainFormOnTaskBar(true);
  Application().SetModalPopupMode(TPopupMode::pmAuto);
  if (UseWineTricks(L"4.12")) Unit().wineMdiChildRestored = RegisterWindowMessageW(L"Halvern.WM_WINE_MDI_CHILD_RESTORED");
}

// --- creation and destruction ---

// Wine on macOS can lose track of the displays at any step of a window's life; the window
// itself is checked once it exists.
void THvFormLX::FixMacDisplayIfNeeded() {
  if (NeedsMacFix(HandleAllocated() ? Handle() : nullptr)) RunMacFix();
}

THvFormLX::THvFormLX(TComponent* owner) : TForm(owner) {
  InitializeHvLXForms();
  FixMacDisplayIfNeeded();
  SetPopupModeField(TPopupMode::pmAuto);
}

void THvFormLX::InitializeNewForm() {
  FixMacDisplayIfNeeded();
  std::lock_guard lock(GlobalNameSpace());
  if (&ClassInfo() == &THvFormLX::StaticClassInfo()) return;
  SetCreating(true);
  // Ancestors first, so a derived resource can change what its base described.
  std::vector<const TFormClassInfo*> chain;
  for (const TFormClassInfo* c = &ClassInfo(); c && c != &ResourceStopClass(); c = c->Parent) chain.push_back(c);
  bool found = false;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) found = ReadResource((*it)->Name) || found;
  if (!found) {
    SetCreating(false);
    throw EResNotFound(Fmt(L"Resource %s not found", ClassName()));
  }
  SetCreating(false);
  if (OldCreateOrder()) DoCreate();
}

THvFormLX::~THvFormLX() {
  bool mdiChild = FormStyle() == TFormStyle::fsMDIChild;
  if (mdiChild) BeginClientUpdate();
  SetDestroying();
  if (FMDIChild_Activated) MergeMdiBars(false);
  SetTaskBarButton(false);
  if (FAutoNilRef) FAutoNilRef();
  // A window destroyed while still modal must not leave the others disabled for good.
  Erase(Unit().modalForms, this);
  if (!WindowList.empty()) {
    EnableTaskWindows(WindowList);
    WindowList.clear();
  }
  if (HandleAllocated()) Application().PopModalWindow(Handle());
  if (mdiChild) {
    DestroyHandle();
    EndClientUpdate();
  }
}

// --- showing ---

void THvFormLX::VisibleChanging() {
  FormsUnit& unit = Unit();
  if (!Visible() && !unit.applicationWindowStyleAdjusted) {
    // The application window must never show a taskbar entry of its own.
    unit.applicationWindowStyleAdjusted = true;
    HWND app = Application().Handle();
    LONG ex = GetWindowLongW(app, GWL_EXSTYLE);
    SetWindowLongW(app, GWL_EXSTYLE, (ex & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
  }
}

void THvFormLX::Show() {
  FixMacDisplayIfNeeded();
  TForm::Show();
}

int THvFormLX::ShowModal() {
  FixMacDisplayIfNeeded();
  // Under Wine a dialog opened over a running progress window would fall behind it.
  FStayOnTopWhileModal = IsWine() && !Unit().modalForms.empty() && FormStyle() == TFormStyle::fsNormal;
  if (FStayOnTopWhileModal) SetFormStyle(TFormStyle::fsStayOnTop);
  int result;
  try {
    result = TForm::ShowModal();
  } catch (...) {
    ModalLoopEnded();
    throw;
  }
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
  try {
    Show();
  } catch (...) {
    SetModal(false);
    EnableTaskWindows(WindowList);
    WindowList.clear();
    throw;
  }
  Unit().modalForms.push_back(this);
  Application().PushModalWindow(Handle());
}

void THvFormLX::StopModal(bool Skip_SetActiveWindow) {
  Erase(Unit().modalForms, this);
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

// --- first activation ---

void THvFormLX::Activate() {
  FixMacDisplayIfNeeded();
  TForm::Activate();
  if (!FFirstActivateDone && Visible()) {
    FFirstActivateDone = true;
    DoFirstActivate();
    if (OnActivateFirstDone) OnActivateFirstDone(*this);
  }
}

void THvFormLX::DoFirstActivate() {
  if (FormStyle() != TFormStyle::fsMDIChild) FitToMonitor(*this);
}

// --- taskbar button ---

void THvFormLX::SetTaskBarButton(bool value) {
  if (value == FTaskBarButton) return;
  FormsUnit& unit = Unit();
  bool listed = PopupMode() != TPopupMode::pmExplicit;
  if (FTaskBarButton && listed) {
    Erase(unit.taskBarForms, this);
    CloseMainWindowIfPending();
  }
  FTaskBarButton = value;
  if (FTaskBarButton && listed) {
    if (Application().MainForm() == this) {
      unit.taskBarForms.insert(unit.taskBarForms.begin(), this);
      unit.mainWindowClosePending = false;
    } else {
      unit.taskBarForms.push_back(this);
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
    try {
      TForm::CreateParams(params);
    } catch (...) {
      SetPopupModeField(saved);
      throw;
    }
    SetPopupModeField(saved);
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
    Unit().mainWindowClosePending = true;
    if (!Showing()) Hide();
  }
}

// --- redraw suspension ---

void THvFormLX::BeginUpdate() {
  if (HandleAllocated() && FUpdateCount == 0) SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
  ++FUpdateCount;
}

void THvFormLX::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  if (HandleAllocated() && FUpdateCount == 0) {
    SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE);
  }
}

void THvFormLX::BeginClientUpdate() {
  FormsUnit& unit = Unit();
  TForm* main = Application().MainForm();
  if (unit.clientUpdateCount++ == 0 && main && main->ClientHandle()) {
    SendMessageW(main->ClientHandle(), WM_SETREDRAW, FALSE, 0);
    unit.windowUpdateLocked = LockWindowUpdate(main->Handle()) != FALSE;
  }
}

void THvFormLX::EndClientUpdate() {
  FormsUnit& unit = Unit();
  if (unit.clientUpdateCount == 0 || --unit.clientUpdateCount > 0) return;
  TForm* main = Application().MainForm();
  if (main && main->ClientHandle()) {
    HWND client = main->ClientHandle();
    SendMessageW(client, WM_SETREDRAW, TRUE, 0);
    BOOL maximized = FALSE;
    HWND active = reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)));
    if (active && maximized) SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(active), 0);
    RedrawWindow(main->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE);
  }
  if (unit.windowUpdateLocked) {
    LockWindowUpdate(nullptr);
    unit.windowUpdateLocked = false;
  }
}

// --- keyboard ---

bool THvFormLX::IsShortCut(const MSG& msg) {
  if (TForm::IsShortCut(msg)) return true;
  if (msg.message != WM_KEYDOWN) return false;
  bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0, alt = GetKeyState(VK_MENU) < 0;
  if (!ctrl || shift || alt) return false;
  HWND focus = GetFocus();
  switch (msg.wParam) {
    case 'X':
    case 'C':
    case 'V':
      if (!focus) return false;
      SendMessageW(focus, msg.wParam == 'X' ? WM_CUT : msg.wParam == 'C' ? WM_COPY : WM_PASTE, 0, 0);
      return true;
    case 'Z': return focus && SendMessageW(focus, WM_UNDO, 0, 0) != 0;
    case 'A': {
      if (!focus) return false;
      wchar_t cls[32] = {};
      GetClassNameW(focus, cls, 32);
      if (CompareStringOrdinal(cls, -1, L"Edit", -1, TRUE) == CSTR_EQUAL) {
        // An edit inside a combo box selects through its combo box.
        HWND parent = GetParent(focus);
        wchar_t parentCls[32] = {};
        if (parent) GetClassNameW(parent, parentCls, 32);
        if (CompareStringOrdinal(parentCls, -1, L"ComboBox", -1, TRUE) == CSTR_EQUAL)
          SendMessageW(parent, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
        else
          SendMessageW(focus, EM_SETSEL, 0, -1);
        return true;
      }
      if (CompareStringOrdinal(cls, -1, L"ComboBox", -1, TRUE) == CSTR_EQUAL) {
        SendMessageW(focus, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
        return true;
      }
      return false;
    }
  }
  return false;
}

// --- messages ---

LRESULT THvFormLX::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !IsWindowEnabled(Handle())) {
        // A disabled window hands activation on to the window that is modal now.
        PostMessageW(Application().Handle(), WM_HV_BRING_MODAL_TO_FRONT, 0, 0);
        return DefaultHandler(msg, wParam, lParam);
      }
      break;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == Handle() && LOWORD(lParam) == static_cast<WORD>(HTERROR) &&
          HIWORD(lParam) == WM_LBUTTONDOWN && !IsWindowEnabled(Handle())) {
        PostMessageW(Application().Handle(), WM_HV_BRING_MODAL_TO_FRONT, 0, 0);
        return TRUE;
      }
      break;
    case WM_UPDATEUISTATE: {
      LRESULT r = TForm::WndProc(msg, wParam, lParam);
      // Themed controls can vanish when keyboard cues toggle unless all of them repaint.
      if (IsAppThemed()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      return r;
    }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE && Application().MainForm() == this && FTaskBarButton)
        return DefaultHandler(msg, wParam, lParam);
      break;
    case WM_MDIACTIVATE:
    case WM_SIZE:
      if (FormStyle() == TFormStyle::fsMDIChild) {
        LRESULT r = TForm::WndProc(msg, wParam, lParam);
        MDIChild_UpdateMdiDockState();
        return r;
      }
      break;
    case WM_SHOWWINDOW:
      if (!wParam && FTaskBarButton && Application().MainForm() != this) {
        LRESULT r = TForm::WndProc(msg, wParam, lParam);
        PostMessageW(Handle(), WM_HV_TASKBAR_WINDOW_HIDDEN, 0, 0);
        return r;
      }
      break;
    case WM_HV_TASKBAR_WINDOW_HIDDEN:
      CloseMainWindowIfPending();
      return 0;
  }
  return TForm::WndProc(msg, wParam, lParam);
}

// --- MDI bars ---

void THvFormLX::MDIChild_UpdateMdiDockState() {
  if (FormStyle() != TFormStyle::fsMDIChild)
    throw EHvInternalError(L"Internal Error: MDIChild_UpdateMdiDockState can only be called from MDI child forms.");
  TForm* main = Application().MainForm();
  bool merge = false;
  if (main && main->ClientHandle() && HandleAllocated()) {
    BOOL maximized = FALSE;
    HWND active = reinterpret_cast<HWND>(
        SendMessageW(main->ClientHandle(), WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)));
    merge = active == Handle() && maximized && !Destroying();
  }
  if (merge != FMDIChild_Activated) MergeMdiBars(merge);
}

void THvFormLX::MergeMdiBars(bool merge) {
  auto* frame = dynamic_cast<THvFormLX*>(Application().MainForm());
  FMDIChild_Activated = merge;
  if (!frame) return;
  if (FMDIToolBar && FMDIToolBar->HandleAllocated()) {
    if (merge && frame->FMDIControlBar && frame->FMDIControlBar->HandleAllocated()) {
      FMergedToolBarParent = GetParent(FMDIToolBar->Handle());
      SetParent(FMDIToolBar->Handle(), frame->FMDIControlBar->Handle());
      SetWindowPos(FMDIToolBar->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    } else if (!merge && FMergedToolBarParent) {
      SetParent(FMDIToolBar->Handle(), FMergedToolBarParent);
      FMDIToolBar->ApplyLayout(0, 0);
      FMergedToolBarParent = nullptr;
    }
  }
  if (FMDIStatusBar && FMDIStatusBar->HandleAllocated()) {
    TWinControl* frameBar = frame->FMDIStatusBar;
    if (merge && frameBar && frameBar->HandleAllocated()) {
      // The child's status bar covers the frame's, after the frame's first panel.
      FMergedStatusBarParent = GetParent(FMDIStatusBar->Handle());
      RECT fr = frameBar->BoundsRect();
      int first = 0;
      int parts[2] = {};
      if (SendMessageW(frameBar->Handle(), SB_GETPARTS, 2, reinterpret_cast<LPARAM>(parts)) > 0) first = parts[0];
      SetParent(FMDIStatusBar->Handle(), frame->Handle());
      SetWindowPos(FMDIStatusBar->Handle(), HWND_TOP, fr.left + first + 4, fr.top, fr.right - fr.left - first - 4,
                   fr.bottom - fr.top, SWP_NOACTIVATE);
    } else if (!merge && FMergedStatusBarParent) {
      SetParent(FMDIStatusBar->Handle(), FMergedStatusBarParent);
      FMDIStatusBar->ApplyLayout(0, 0);
      FMergedStatusBarParent = nullptr;
    }
  }
}

}  // namespace hv
