// THvFormLX: creation from its resource chain, showing, the first activation, redraw
// suspension, the clipboard shortcuts and its message handling.
#include "HvLXForms.h"

#include "HvLXCursors.h"

#include "HvWindows.h"

#include <commctrl.h>
#include <uxtheme.h>

#include "HvApplication.h"
#include "HvLXFontBoost.h"
#include "HvLXFormsShared.h"
#include "HvLXHost.h"
#include "HvLXMacFix.h"
#include "HvLXMonitorFit.h"
#include "HvMessageIds.h"
#include "HvScreen.h"

namespace hv {
namespace {

UINT gWineMdiChildRestored = 0;
bool gApplicationWindowStyleAdjusted = false;

}  // namespace

void InitializeHvLXForms() {
  static bool done = false;
  if (done) return;
  done = true;
  Screen().SetPixelsPerInch(MulDiv(Screen().PixelsPerInch(), GetFontBoostPercent(), 100));
  Application().SetMainFormOnTaskBar(true);
  Application().SetModalPopupMode(TPopupMode::pmAuto);
  if (UseWineTricks(L"4.12")) gWineMdiChildRestored = RegisterWindowMessageW(L"Halvern.WM_WINE_MDI_CHILD_RESTORED");
}

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
  detail::ForgetModalForm(this);
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

void THvFormLX::VisibleChanging() {
  if (!Visible() && !gApplicationWindowStyleAdjusted) {
    // The application window must never show a taskbar entry of its own.
    gApplicationWindowStyleAdjusted = true;
    HWND app = Application().Handle();
    LONG ex = GetWindowLongW(app, GWL_EXSTYLE);
    SetWindowLongW(app, GWL_EXSTYLE, (ex & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
  }
}

void THvFormLX::Show() {
  FixMacDisplayIfNeeded();
  TForm::Show();
}

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

LRESULT THvFormLX::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !IsWindowEnabled(Handle())) {
        // A disabled window hands activation on to the window that is modal now.
        PostMessageW(Application().Handle(), WM_HV_BRING_MODAL_TO_FRONT, 0, 0);
        return DefaultHandler(msg, wParam, lParam);
      }
      break;
    case WM_SETCURSOR: {
      const bool clickOnDisabled = reinterpret_cast<HWND>(wParam) == Handle() &&
                                   LOWORD(lParam) == static_cast<WORD>(HTERROR) &&
                                   HIWORD(lParam) == WM_LBUTTONDOWN && !IsWindowEnabled(Handle());
      if (clickOnDisabled) PostMessageW(Application().Handle(), WM_HV_BRING_MODAL_TO_FRONT, 0, 0);
      // Controls ask their parents first, so this covers every control of the form too.
      if (HCURSOR working = StackedCursor()) {
        SetCursor(working);
        return TRUE;
      }
      if (clickOnDisabled) return TRUE;
      break;
    }
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
      detail::CloseMainWindowIfPending();
      return 0;
  }
  return TForm::WndProc(msg, wParam, lParam);
}

}  // namespace hv
