// THvFormLX in MDI: redraw suspension of the frame's client area, and the child's tool and
// status bars merged into the frame while it is the active maximised child.
#include "HvLXForms.h"

#include "HvWindows.h"

#include <commctrl.h>

#include "HvApplication.h"

namespace hv {
namespace {

int gClientUpdateCount = 0;
bool gWindowUpdateLocked = false;

}  // namespace

void THvFormLX::BeginClientUpdate() {
  TForm* main = Application().MainForm();
  if (gClientUpdateCount++ == 0 && main && main->ClientHandle()) {
    SendMessageW(main->ClientHandle(), WM_SETREDRAW, FALSE, 0);
    gWindowUpdateLocked = LockWindowUpdate(main->Handle()) != FALSE;
  }
}

void THvFormLX::EndClientUpdate() {
  if (gClientUpdateCount == 0 || --gClientUpdateCount > 0) return;
  TForm* main = Application().MainForm();
  if (main && main->ClientHandle()) {
    HWND client = main->ClientHandle();
    SendMessageW(client, WM_SETREDRAW, TRUE, 0);
    BOOL maximized = FALSE;
    HWND active = reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)));
    if (active && maximized) SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(active), 0);
    RedrawWindow(main->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE);
  }
  if (gWindowUpdateLocked) {
    LockWindowUpdate(nullptr);
    gWindowUpdateLocked = false;
  }
}

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
