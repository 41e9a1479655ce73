// TForm's native window: the window class, creation and recreation around the controls,
// and the message procedure.
#include "HvForms.h"

#include <algorithm>
#include <climits>

#include "HvApplication.h"
#include "HvMessageIds.h"
#include "HvScopeExit.h"
#include "HvScreen.h"
#include "HvWindowObjects.h"

namespace hv {

namespace {

const wchar_t kFormClass[] = L"HvForm";

TWindowObjects<TForm>& Forms() {
  // Never destroyed: windows can still go while the statics are torn down at exit.
  static auto* forms = new TWindowObjects<TForm>;
  return *forms;
}

}  // namespace

void TForm::RegisterFormClass() {
  static bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &TForm::StaticWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kFormClass;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

TForm* TForm::FromHandle(HWND hwnd) { return Forms().Find(hwnd); }

HWND TForm::Handle() {
  if (!FHandle) CreateWnd();
  return FHandle;
}

void TForm::CreateParams(TCreateParams& params) {
  params.Caption = FCaption;
  params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  params.ExStyle = WS_EX_CONTROLPARENT;
  DWORD icons = 0;
  if (FBorderIcons & biSystemMenu) {
    icons |= WS_SYSMENU;
    if (FBorderIcons & biMinimize) icons |= WS_MINIMIZEBOX;
    if (FBorderIcons & biMaximize) icons |= WS_MAXIMIZEBOX;
  }
  switch (FBorderStyle) {
    case TFormBorderStyle::bsNone: params.Style |= WS_POPUP; break;
    case TFormBorderStyle::bsSingle: params.Style |= WS_CAPTION | WS_BORDER | icons; break;
    case TFormBorderStyle::bsSizeable: params.Style |= WS_CAPTION | WS_THICKFRAME | icons; break;
    case TFormBorderStyle::bsDialog:
      params.Style |= WS_POPUP | WS_CAPTION | (icons & WS_SYSMENU);
      params.ExStyle |= WS_EX_DLGMODALFRAME;
      break;
    case TFormBorderStyle::bsToolWindow:
      params.Style |= WS_CAPTION | (icons & WS_SYSMENU);
      params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
    case TFormBorderStyle::bsSizeToolWin:
      params.Style |= WS_CAPTION | WS_THICKFRAME | (icons & WS_SYSMENU);
      params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
  }
  if (FFormStyle == TFormStyle::fsStayOnTop) params.ExStyle |= WS_EX_TOPMOST;
  if (FFormStyle == TFormStyle::fsMDIChild) {
    params.Style |= WS_CHILD | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    params.Style &= ~WS_POPUP;
    params.ExStyle |= WS_EX_MDICHILD;
  }

  RECT r{0, 0, ScaleForDpi(FClientWidth96), ScaleForDpi(FClientHeight96)};
  AdjustWindowRectEx(&r, params.Style, FALSE, params.ExStyle);
  params.Width = r.right - r.left;
  params.Height = r.bottom - r.top;
  ChooseOwner(params);
}

void TForm::CreateWnd() {
  RegisterFormClass();
  TCreateParams params;
  CreateParams(params);
  FCreatedClientWidth = ScaleForDpi(FClientWidth96);
  FCreatedClientHeight = ScaleForDpi(FClientHeight96);
  // `this` reaches the window procedure at WM_NCCREATE (wrapped by the system for an MDI child).
  HWND h = CreateWindowExW(params.ExStyle, kFormClass, params.Caption.c_str(), params.Style & ~WS_VISIBLE, params.X,
                           params.Y, params.Width, params.Height, params.WndParent, nullptr,
                           GetModuleHandleW(nullptr), this);
  if (!h) RaiseLastOSError();
  if (FFormStyle == TFormStyle::fsMDIForm) CreateMdiClient(h);
  CreateControls();
}

void TForm::CreateControls() {
  for (TWinControl* c : FControls) {
    if (c->HandleAllocated()) {
      ::SetParent(c->Handle(), FHandle);
      SendMessageW(c->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), FALSE);
    } else {
      c->CreateHandle(FHandle);
    }
  }
  ApplyTabOrder();
  LayoutControls();
}

void TForm::ApplyTabOrder() {
  std::vector<TWinControl*> order = FControls;
  std::stable_sort(order.begin(), order.end(), [](TWinControl* a, TWinControl* b) {
    // Controls without a tab order keep their place after those that have one.
    int ta = a->TabOrder() < 0 ? INT_MAX : a->TabOrder();
    int tb = b->TabOrder() < 0 ? INT_MAX : b->TabOrder();
    return ta < tb;
  });
  HWND after = HWND_TOP;
  for (TWinControl* c : order) {
    if (!c->HandleAllocated()) continue;
    SetWindowPos(c->Handle(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = c->Handle();
  }
}

void TForm::DestroyHandle() {
  if (!FHandle) return;
  // The MDI client keeps its own list of children and must hear of the destruction.
  HWND parent = FFormStyle == TFormStyle::fsMDIChild ? GetParent(FHandle) : nullptr;
  if (parent)
    SendMessageW(parent, WM_MDIDESTROY, reinterpret_cast<WPARAM>(FHandle), 0);
  else
    DestroyWindow(FHandle);
  FHandle = nullptr;
  FClientHandle = nullptr;
  Forms().ForgetObject(this);
}

void TForm::RecreateWnd() {
  if (!FHandle || FRecreating) return;
  FRecreating = true;
  bool visible = IsWindowVisible(FHandle) != FALSE;
  RECT bounds = BoundsRect();
  // The controls wait on the hidden application window, so they keep their state.
  for (TWinControl* c : FControls)
    if (c->HandleAllocated()) ::SetParent(c->Handle(), Application().Handle());
  DestroyHandle();
  {
    ScopeExit endRecreating([this] { FRecreating = false; });
    CreateWnd();
    SetWindowPos(FHandle, nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (visible) ShowWindow(FHandle, SW_SHOWNA);
}

LRESULT CALLBACK TForm::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  TForm* self = FromHandle(hwnd);
  if (!self && msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    void* param = cs->lpCreateParams;
    if ((cs->dwExStyle & WS_EX_MDICHILD) && param) param = reinterpret_cast<void*>(static_cast<MDICREATESTRUCTW*>(param)->lParam);
    self = static_cast<TForm*>(param);
    if (self) {
      Forms().Remember(hwnd, self);
      self->FHandle = hwnd;
    }
  }
  if (!self) {
    if (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_MDICHILD) return DefMDIChildProcW(hwnd, msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  if (msg == WM_NCDESTROY) {
    LRESULT r = self->DefaultHandler(msg, wParam, lParam);
    Forms().Forget(hwnd);
    if (self->FHandle == hwnd) {
      self->FHandle = nullptr;
      self->FClientHandle = nullptr;
    }
    return r;
  }
  try {
    return self->WndProc(msg, wParam, lParam);
  } catch (...) {
    Application().HandleException();
    return 0;
  }
}

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND child = nullptr;
  switch (msg) {
    case WM_COMMAND: child = reinterpret_cast<HWND>(lParam); break;
    case WM_DRAWITEM: child = reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem; break;
    case WM_MEASUREITEM: child = GetDlgItem(FHandle, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlID); break;
    case WM_COMPAREITEM: child = reinterpret_cast<COMPAREITEMSTRUCT*>(lParam)->hwndItem; break;
    case WM_NOTIFY: child = reinterpret_cast<NMHDR*>(lParam)->hwndFrom; break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: child = reinterpret_cast<HWND>(lParam); break;
  }
  if (child) {
    if (TWinControl* control = TWinControl::FromHandle(child)) {
      LRESULT result = 0;
      if (control->ParentNotify(msg, wParam, lParam, result)) return result;
    }
  }
  switch (msg) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        LRESULT r = DefaultHandler(msg, wParam, lParam);
        HWND focus = GetFocus();
        // Only an active window may take the focus; on a hidden one SetFocus would activate it.
        if (GetActiveWindow() == FHandle && (!focus || (focus != FHandle && !IsChild(FHandle, focus)))) {
          if (HWND first = GetNextDlgTabItem(FHandle, nullptr, FALSE)) ::SetFocus(first);
        }
        Activate();
        return r;
      }
      Deactivate();
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(FHandle, &rc);
      TUniqueBrush brush(CreateSolidBrush(FColor));
      FillRect(reinterpret_cast<HDC>(wParam), &rc, brush.get());
      return 1;
    }
    case WM_SIZE: {
      LRESULT r = DefaultHandler(msg, wParam, lParam);
      UpdateScrollBars();
      if (FFormStyle != TFormStyle::fsMDIForm) LayoutControls();
      Resize();
      return r;
    }
    case WM_VSCROLL:
    case WM_HSCROLL:
      if (lParam == 0) {
        Scroll(msg == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(wParam));
        return 0;
      }
      break;
    case WM_GETMINMAXINFO: {
      auto* mmi = reinterpret_cast<MINMAXINFO*>(lParam);
      if (FMinWidth96 > 0) mmi->ptMinTrackSize.x = ScaleForDpi(FMinWidth96);
      if (FMinHeight96 > 0) mmi->ptMinTrackSize.y = ScaleForDpi(FMinHeight96);
      return 0;
    }
    default:
      if (msg == WM_HV_RELEASE) {
        delete this;
        return 0;
      }
  }
  return DefaultHandler(msg, wParam, lParam);
}

}  // namespace hv
