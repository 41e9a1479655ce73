// TForm as an object: creation from resources, the controls it owns, its properties, and
// showing, hiding and closing.
#include "HvForms.h"

#include <algorithm>

#include "HvApplication.h"
#include "HvMessageIds.h"
#include "HvScreen.h"
#include "HvScopeExit.h"
#include "HvVisualStyles.h"

namespace hv {

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
  ScopeExit shown([this] { FShowing = false; });
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

}  // namespace hv
