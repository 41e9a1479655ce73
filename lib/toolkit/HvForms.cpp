#include "HvForms.h"

#include <algorithm>

#include "HvApplication.h"
#include "HvMessageIds.h"
#include "HvScreen.h"
#include "HvVisualStyles.h"

namespace hv {
namespace {

const wchar_t kFormClass[] = L"HvForm";
const wchar_t kFormProp[] = L"HvForm";

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

std::recursive_mutex& GlobalNameSpace() {
  static std::recursive_mutex lock;
  return lock;
}

TForm::TForm(TComponent* owner) : TComponent(owner) { EnsureCommonControlsV6(); }

TForm::~TForm() {
  FDestroying = true;
  if (OnDestroy) {
    try {
      OnDestroy(*this);
    } catch (...) {
      Application().HandleException();
    }
  }
  if (Application().MainForm() == this) Application().SetMainForm(nullptr);
  DestroyHandle();
  // The controls are freed after this object by TComponent; they must not reach back.
  for (TWinControl* c : FControls) c->FParent = nullptr;
  FControls.clear();
}

TForm* TForm::FromHandle(HWND hwnd) { return hwnd ? static_cast<TForm*>(GetPropW(hwnd, kFormProp)) : nullptr; }

TComponent* TForm::FindComponent(const std::wstring& name) const {
  for (int i = 0; i < ComponentCount(); ++i)
    if (CompareStringOrdinal(Components(i)->Name().c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL)
      return Components(i);
  return nullptr;
}

void TForm::AddControl(TWinControl* control) { FControls.push_back(control); }

void TForm::RemoveControl(TWinControl* control) {
  FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
}

bool TForm::ReadResource(const std::wstring& className) {
  const TFormResource* resource = FindFormResource(className);
  if (!resource) return false;
  if (resource->Build) resource->Build(*this);
  for (const auto& [property, values] : resource->StringLists) ReadResourceStrings(property, values);
  if (resource->OldCreateOrder) FOldCreateOrder = true;
  return true;
}

void TForm::DoCreate() {
  if (!OnCreate) return;
  // A failing create handler is reported and the window is still made.
  try {
    OnCreate(*this);
  } catch (...) {
    Application().HandleException();
  }
}

void TForm::AfterConstruction() {
  if (!FOldCreateOrder) DoCreate();
}

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

  TApplication& app = Application();
  TForm* main = app.MainForm();
  if (FFormStyle == TFormStyle::fsMDIChild) {
    HWND client = main ? main->ClientHandle() : nullptr;
    if (!client) throw EHvInternalError(L"Internal Error: An MDI child needs an MDI main form.");
    params.WndParent = client;
    return;
  }
  if (main == this && app.MainFormOnTaskBar()) {
    params.ExStyle |= WS_EX_APPWINDOW;
    params.WndParent = nullptr;
    return;
  }
  // Without a main form that owns the taskbar button, the application window owns us.
  auto defaultOwner = [&]() -> HWND {
    if (app.MainFormOnTaskBar() && main && main != this && main->HandleAllocated()) return main->FHandle;
    return app.Handle();
  };
  switch (FPopupMode) {
    case TPopupMode::pmNone: params.WndParent = defaultOwner(); break;
    case TPopupMode::pmAuto: {
      HWND active = GetActiveWindow();
      TForm* form = FromHandle(active);
      params.WndParent = (form && form != this) ? active : defaultOwner();
      break;
    }
    case TPopupMode::pmExplicit:
      params.WndParent = (FPopupParent && FPopupParent != this) ? FPopupParent->Handle() : defaultOwner();
      break;
  }
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
  if (FFormStyle == TFormStyle::fsMDIForm) {
    CLIENTCREATESTRUCT ccs{nullptr, 0xFF00};
    RECT rc;
    GetClientRect(h, &rc);
    FClientHandle = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL,
                                    0, 0, rc.right, rc.bottom, h, nullptr, GetModuleHandleW(nullptr), &ccs);
  }
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

void TForm::LayoutControls() {
  if (!FHandle || IsIconic(FHandle)) return;
  RECT rc;
  GetClientRect(FHandle, &rc);
  int dw = rc.right - FCreatedClientWidth, dh = rc.bottom - FCreatedClientHeight;
  // Scrolled content keeps its design size; anchors follow only the visible area otherwise.
  if (FScrollRange[0] > 0) dw = 0;
  if (FScrollRange[1] > 0) dh = 0;
  for (TWinControl* c : FControls) {
    c->ApplyLayout(dw, dh);
    if ((FScrollPos[0] || FScrollPos[1]) && c->HandleAllocated()) {
      RECT r = c->BoundsRect();
      SetWindowPos(c->Handle(), nullptr, r.left - FScrollPos[0], r.top - FScrollPos[1], 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
}

void TForm::SetScrollRange(int bar, int range) {
  int i = bar == SB_VERT ? 1 : 0;
  FScrollRange[i] = std::max(range, 0);
  FScrollPos[i] = 0;
  UpdateScrollBars();
  LayoutControls();
}

void TForm::UpdateScrollBars() {
  if (!FHandle) return;
  RECT rc;
  GetClientRect(FHandle, &rc);
  for (int i = 0; i < 2; ++i) {
    int bar = i ? SB_VERT : SB_HORZ;
    int page = i ? rc.bottom : rc.right;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = FScrollRange[i] > page ? FScrollRange[i] - 1 : 0;
    si.nPage = FScrollRange[i] > page ? page : 0;
    FScrollPos[i] = std::clamp(FScrollPos[i], 0, std::max(FScrollRange[i] - page, 0));
    si.nPos = FScrollPos[i];
    SetScrollInfo(FHandle, bar, &si, TRUE);
  }
}

void TForm::Scroll(int bar, int code) {
  int i = bar == SB_VERT ? 1 : 0;
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  GetScrollInfo(FHandle, bar, &si);
  int pos = si.nPos;
  switch (code) {
    case SB_LINEUP: pos -= ScaleForDpi(8); break;
    case SB_LINEDOWN: pos += ScaleForDpi(8); break;
    case SB_PAGEUP: pos -= static_cast<int>(si.nPage); break;
    case SB_PAGEDOWN: pos += static_cast<int>(si.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = si.nMax; break;
    default: return;
  }
  pos = std::clamp(pos, 0, std::max(si.nMax - static_cast<int>(si.nPage) + 1, 0));
  if (pos == FScrollPos[i]) return;
  FScrollPos[i] = pos;
  SetScrollPos(FHandle, bar, pos, TRUE);
  LayoutControls();
  InvalidateRect(FHandle, nullptr, TRUE);
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
  try {
    CreateWnd();
  } catch (...) {
    FRecreating = false;
    throw;
  }
  SetWindowPos(FHandle, nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  FRecreating = false;
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
      SetPropW(hwnd, kFormProp, self);
      self->FHandle = hwnd;
    }
  }
  if (!self) {
    if (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_MDICHILD) return DefMDIChildProcW(hwnd, msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  if (msg == WM_NCDESTROY) {
    LRESULT r = self->DefaultHandler(msg, wParam, lParam);
    RemovePropW(hwnd, kFormProp);
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

LRESULT TForm::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (FFormStyle) {
    case TFormStyle::fsMDIForm: return DefFrameProcW(FHandle, FClientHandle, msg, wParam, lParam);
    case TFormStyle::fsMDIChild: return DefMDIChildProcW(FHandle, msg, wParam, lParam);
    default: return DefWindowProcW(FHandle, msg, wParam, lParam);
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

void TForm::Activate() {
  if (OnActivate) OnActivate(*this);
}

void TForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(*this);
}

void TForm::Resize() {
  if (OnResize) OnResize(*this);
}

void TForm::SetCaption(const std::wstring& caption) {
  FCaption = caption;
  if (FHandle) SetWindowTextW(FHandle, caption.c_str());
}

void TForm::SetClientSize96(int width, int height) {
  FClientWidth96 = width;
  FClientHeight96 = height;
  if (FHandle) {
    RECT r{0, 0, ScaleForDpi(width), ScaleForDpi(height)};
    AdjustWindowRectEx(&r, GetWindowLongW(FHandle, GWL_STYLE), FALSE, GetWindowLongW(FHandle, GWL_EXSTYLE));
    SetWindowPos(FHandle, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

RECT TForm::BoundsRect() const {
  RECT r{};
  if (FHandle) {
    GetWindowRect(FHandle, &r);
    if (HWND parent = GetParent(FHandle); parent && (GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD))
      MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  }
  return r;
}

void TForm::SetBounds(int left, int top, int width, int height) {
  SetWindowPos(const_cast<TForm*>(this)->Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  FPlaced = true;
}

void TForm::SetLeft(int left) {
  RECT r = BoundsRect();
  SetBounds(left, r.top, r.right - r.left, r.bottom - r.top);
}

void TForm::SetTop(int top) {
  RECT r = BoundsRect();
  SetBounds(r.left, top, r.right - r.left, r.bottom - r.top);
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  if (style == FBorderStyle) return;
  FBorderStyle = style;
  RecreateWnd();
}

void TForm::SetBorderIcons(unsigned icons) {
  if (icons == FBorderIcons) return;
  FBorderIcons = icons;
  RecreateWnd();
}

void TForm::SetFormStyle(TFormStyle style) {
  if (style == FFormStyle) return;
  auto topLevelOnly = [](TFormStyle s) { return s == TFormStyle::fsNormal || s == TFormStyle::fsStayOnTop; };
  bool inPlace = topLevelOnly(style) && topLevelOnly(FFormStyle);
  FFormStyle = style;
  // Staying on top is a z-order band, not a creation style: no need to rebuild.
  if (inPlace && FHandle) {
    bool onTop = style == TFormStyle::fsStayOnTop;
    SetWindowPos(FHandle, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // Wine may keep a window in the topmost band; a new window leaves it for sure.
    if (!onTop && (GetWindowLongW(FHandle, GWL_EXSTYLE) & WS_EX_TOPMOST)) RecreateWnd();
  } else
    RecreateWnd();
}

void TForm::SetPopupMode(TPopupMode mode) {
  if (mode == FPopupMode) return;
  FPopupMode = mode;
  RecreateWnd();
}

void TForm::SetPopupParent(TForm* parent) {
  FPopupParent = parent;
  if (parent) FPopupMode = TPopupMode::pmExplicit;
  RecreateWnd();
}

TWindowState TForm::WindowState() const {
  if (!FHandle) return FWindowState;
  if (IsIconic(FHandle)) return TWindowState::wsMinimized;
  if (IsZoomed(FHandle)) return TWindowState::wsMaximized;
  return TWindowState::wsNormal;
}

void TForm::SetWindowState(TWindowState state) {
  FWindowState = state;
  if (FHandle && IsWindowVisible(FHandle)) {
    int cmd = state == TWindowState::wsMinimized ? SW_MINIMIZE : state == TWindowState::wsMaximized ? SW_MAXIMIZE : SW_RESTORE;
    ShowWindow(FHandle, cmd);
  }
}

void TForm::SetFont(const TFontSpec& font) {
  FFont = font;
  FFontHandle.reset();
  if (FHandle)
    for (TWinControl* c : FControls)
      if (c->HandleAllocated()) SendMessageW(c->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), TRUE);
}

HFONT TForm::FontHandle() {
  int ppi = Screen().PixelsPerInch();
  if (!FFontHandle || FFontPpi != ppi) {
    LOGFONTW lf{};
    lf.lfHeight = MulDiv(FFont.Height, ppi, 96);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    wcsncpy(lf.lfFaceName, FFont.Name.c_str(), LF_FACESIZE - 1);
    FFontHandle.reset(CreateFontIndirectW(&lf));
    FFontPpi = ppi;
  }
  return FFontHandle.get();
}

TWinControl* TForm::ActiveControl() const {
  HWND focus = GetFocus();
  while (focus && focus != FHandle) {
    if (TWinControl* c = TWinControl::FromHandle(focus); c && c->Parent() == this) return c;
    focus = GetParent(focus);
  }
  return nullptr;
}

void TForm::PlaceInitially() {
  if (FPlaced) return;
  FPlaced = true;
  if (FPosition != TPosition::poScreenCenter || FFormStyle == TFormStyle::fsMDIChild) return;
  HMONITOR monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  if (!GetMonitorInfoW(monitor, &mi)) return;
  RECT r = BoundsRect();
  int w = r.right - r.left, h = r.bottom - r.top;
  const RECT& wa = mi.rcWork;
  SetWindowPos(FHandle, nullptr, wa.left + (wa.right - wa.left - w) / 2, wa.top + (wa.bottom - wa.top - h) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::Show() {
  FShowing = true;
  try {
    VisibleChanging();
    HandleNeeded();
    PlaceInitially();
    int cmd = FWindowState == TWindowState::wsMaximized   ? SW_SHOWMAXIMIZED
              : FWindowState == TWindowState::wsMinimized ? SW_SHOWMINIMIZED
                                                          : SW_SHOW;
    bool wasVisible = IsWindowVisible(FHandle) != FALSE;
    ShowWindow(FHandle, cmd);
    if (!wasVisible && OnShow) OnShow(*this);
    if (FFormStyle != TFormStyle::fsMDIChild) SetForegroundWindow(FHandle);
  } catch (...) {
    FShowing = false;
    throw;
  }
  FShowing = false;
}

void TForm::Hide() {
  if (!FHandle || !IsWindowVisible(FHandle)) return;
  VisibleChanging();
  ShowWindow(FHandle, SW_HIDE);
  if (OnHide) OnHide(*this);
}

void TForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(*this, action);
}

void TForm::Close() {
  if (FModalLoop) {
    FModalResult = mrCancel;  // the modal loop closes the window
    return;
  }
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(*this, canClose);
  if (!canClose) return;
  TCloseAction action = FFormStyle == TFormStyle::fsMDIChild ? TCloseAction::caMinimize
                        : Application().MainForm() == this ? TCloseAction::caFree
                                                           : TCloseAction::caHide;
  DoClose(action);
  if (action == TCloseAction::caNone) return;
  if (Application().MainForm() == this) {
    Hide();
    Application().Terminate();
    return;
  }
  switch (action) {
    case TCloseAction::caHide: Hide(); break;
    case TCloseAction::caMinimize:
      if (FHandle) ShowWindow(FHandle, SW_MINIMIZE);
      break;
    case TCloseAction::caFree:
      if (FHandle)
        PostMessageW(FHandle, WM_HV_RELEASE, 0, 0);
      else
        delete this;
      break;
    default: break;
  }
}

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
  try {
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
  } catch (...) {
    FModal = false;
    FModalLoop = false;
    Application().PopModalWindow(FHandle);
    EnableTaskWindows(disabled);
    throw;
  }
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
