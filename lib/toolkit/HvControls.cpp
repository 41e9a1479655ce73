#include "HvControls.h"

#include <commctrl.h>

#include "HvApplication.h"
#include "HvForms.h"
#include "HvScreen.h"
#include "HvGdiHandles.h"
#include "HvWindowObjects.h"

namespace hv {
namespace {
const wchar_t kShapeClass[] = L"HvShape";

std::wstring WindowText(HWND hwnd) {
  int length = GetWindowTextLengthW(hwnd);
  std::wstring text(length + 1, L'\0');
  int copied = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(copied);
  return text;
}

TWindowObjects<TWinControl>& Controls() {
  // Never destroyed: windows can still go while the statics are torn down at exit.
  static auto* controls = new TWindowObjects<TWinControl>;
  return *controls;
}
}  // namespace

TWinControl::TWinControl(TComponent* owner) : TComponent(owner) {}

TWinControl::~TWinControl() {
  DestroyHandle();
  Controls().ForgetObject(this);
  if (FParent) FParent->RemoveControl(this);
}

void TWinControl::SetParent(TForm* form) {
  if (form == FParent) return;
  DestroyHandle();
  if (FParent) FParent->RemoveControl(this);
  FParent = form;
  if (FParent) {
    FParent->AddControl(this);
    if (FParent->HandleAllocated()) CreateHandle(FParent->Handle());
  }
}

TWinControl* TWinControl::FromHandle(HWND hwnd) { return Controls().Find(hwnd); }

void TWinControl::SetDesignBounds(const TBounds& bounds) {
  FDesign = bounds;
  if (FHandle) ApplyLayout(0, 0);
}

RECT TWinControl::BoundsRect() const {
  RECT r{};
  if (FHandle) {
    GetWindowRect(FHandle, &r);
    MapWindowPoints(nullptr, GetParent(FHandle), reinterpret_cast<POINT*>(&r), 2);
  } else {
    r = {ScaleForDpi(FDesign.Left), ScaleForDpi(FDesign.Top), ScaleForDpi(FDesign.Left + FDesign.Width),
         ScaleForDpi(FDesign.Top + FDesign.Height)};
  }
  return r;
}

void TWinControl::ApplyLayout(int dw, int dh) {
  if (!FHandle) return;
  int left = ScaleForDpi(FDesign.Left), top = ScaleForDpi(FDesign.Top);
  int width = ScaleForDpi(FDesign.Width), height = ScaleForDpi(FDesign.Height);
  // An anchored edge keeps its distance to that edge of the form.
  if (FAnchors & akRight) {
    if (FAnchors & akLeft) width += dw; else left += dw;
  }
  if (FAnchors & akBottom) {
    if (FAnchors & akTop) height += dh; else top += dh;
  }
  SetWindowPos(FHandle, nullptr, left, top, std::max(width, 0), std::max(height, 0),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring TWinControl::Text() const { return FHandle ? WindowText(FHandle) : FText; }

void TWinControl::SetText(const std::wstring& text) {
  FText = text;
  if (FHandle) SetWindowTextW(FHandle, text.c_str());
}

void TWinControl::SetEnabled(bool enabled) {
  FEnabled = enabled;
  if (FHandle) EnableWindow(FHandle, enabled);
}

void TWinControl::SetVisible(bool visible) {
  FVisible = visible;
  if (FHandle) ShowWindow(FHandle, visible ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetFocus() {
  if (FHandle) ::SetFocus(FHandle);
}

void TWinControl::CreateHandle(HWND parent) {
  if (FHandle) return;
  TControlParams params;
  CreateParams(params);
  if (!FVisible) params.Style &= ~WS_VISIBLE;
  if (!FEnabled) params.Style |= WS_DISABLED;
  RECT r = BoundsRect();
  static UINT_PTR nextId = 100;
  HWND h = CreateWindowExW(params.ExStyle, params.ClassName.c_str(), FText.c_str(), params.Style, r.left, r.top,
                           r.right - r.left, r.bottom - r.top, parent, reinterpret_cast<HMENU>(nextId++),
                           GetModuleHandleW(nullptr), nullptr);
  if (!h) RaiseLastOSError();
  FHandle = h;
  Controls().Remember(h, this);
  // Put straight in front of the class's procedure: the common controls' subclass chain would
  // read a window property, a round trip to the Wine server, at every message.
  FClassProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::ControlWndProc)));
  if (FParent) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(FParent->FontHandle()), FALSE);
  InitializeHandle();
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  SaveHandleState();  // while the derived class still sees its window
  DestroyWindow(FHandle);  // WM_NCDESTROY keeps the text and clears FHandle
  FHandle = nullptr;
}

LRESULT CALLBACK TWinControl::ControlWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  TWinControl* control = FromHandle(hwnd);
  if (!control)
    return CallWindowProcW(reinterpret_cast<WNDPROC>(GetClassLongPtrW(hwnd, GCLP_WNDPROC)), hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    Controls().Forget(hwnd);
    if (control->FHandle == hwnd) {
      control->FText = WindowText(hwnd);
      control->FHandle = nullptr;
    }
    return CallWindowProcW(control->FClassProc, hwnd, msg, wParam, lParam);
  }
  try {
    return control->WndProc(msg, wParam, lParam);
  } catch (...) {
    Application().HandleException();
    return 0;
  }
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) { return DefaultHandler(msg, wParam, lParam); }

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(FClassProc, FHandle, msg, wParam, lParam);
}

bool TWinControl::ParentNotify(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void TWinControl::Click() {
  if (OnClick) OnClick(this);
}

// --- TLabel ---

void TLabel::CreateParams(TControlParams& params) {
  params.ClassName = WC_STATICW;
  params.Style |= SS_LEFT | SS_NOPREFIX;
}

void TLabel::InitializeHandle() { FitToText(); }

void TLabel::SetText(const std::wstring& text) {
  TWinControl::SetText(text);
  FitToText();
}

void TLabel::FitToText() {
  if (!FAutoSize || !Handle()) return;
  const std::wstring text = Text();
  SIZE size{};
  {
    TWindowDC dc(Handle());
    HGDIOBJ old = SelectObject(dc.get(), reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)));
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc.get(), old);
  }
  // Kept in design units (rounded up), so later layouts keep the fitted width.
  TBounds bounds = DesignBounds();
  bounds.Width = MulDiv(size.cx, 96, ScaleForDpi(96)) + 1;
  SetDesignBounds(bounds);
}

// --- TButton ---

void TButton::CreateParams(TControlParams& params) {
  params.ClassName = WC_BUTTONW;
  params.Style |= WS_TABSTOP | (FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

bool TButton::ParentNotify(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
  if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    Click();
    result = 0;
    return true;
  }
  return false;
}

void TButton::Click() {
  if (FModalResult != mrNone && Parent()) Parent()->SetModalResult(FModalResult);
  TWinControl::Click();
}

// --- TCheckBox ---

void TCheckBox::CreateParams(TControlParams& params) {
  params.ClassName = WC_BUTTONW;
  params.Style |= WS_TABSTOP | BS_AUTOCHECKBOX;
}

void TCheckBox::InitializeHandle() { SendMessageW(Handle(), BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0); }

void TCheckBox::SaveHandleState() { FChecked = SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool TCheckBox::Checked() const {
  return HandleAllocated() ? SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED : FChecked;
}

void TCheckBox::SetChecked(bool value) {
  FChecked = value;
  if (HandleAllocated()) SendMessageW(Handle(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::ParentNotify(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
  if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    Click();
    result = 0;
    return true;
  }
  return false;
}

// --- TEdit, TMemo ---

void TEdit::CreateParams(TControlParams& params) {
  params.ClassName = WC_EDITW;
  params.Style |= WS_TABSTOP | ES_AUTOHSCROLL | (FReadOnly ? ES_READONLY : 0);
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::InitializeHandle() {
  if (FMaxLength > 0) SendMessageW(Handle(), EM_SETLIMITTEXT, FMaxLength, 0);
}

void TEdit::SetMaxLength(int value) {
  FMaxLength = value < 0 ? 0 : value;
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETLIMITTEXT, FMaxLength, 0);
}

void TEdit::SetReadOnly(bool value) {
  FReadOnly = value;
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETREADONLY, value, 0);
}

void TEdit::SelectAll() {
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

void TMemo::CreateParams(TControlParams& params) {
  TEdit::CreateParams(params);
  params.Style &= ~ES_AUTOHSCROLL;
  params.Style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | ES_WANTRETURN;
}

void TMemo::AppendLine(const std::wstring& line) {
  std::wstring text = Text();
  if (!text.empty()) text += L"\r\n";
  SetText(text + line);
  if (HandleAllocated()) SendMessageW(Handle(), EM_SCROLLCARET, 0, 0);
}

int TMemo::LineCount() const {
  std::wstring text = Text();
  if (text.empty()) return 0;
  int lines = 1;
  for (size_t i = text.find(L"\r\n"); i != std::wstring::npos; i = text.find(L"\r\n", i + 2)) ++lines;
  return lines;
}

std::wstring TMemo::Line(int index) const {
  std::wstring text = Text();
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    size_t next = text.find(L"\r\n", start);
    if (next == std::wstring::npos) return {};
    start = next + 2;
  }
  size_t end = text.find(L"\r\n", start);
  return text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

bool TMemo::ParentNotify(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
  // A read-only edit paints with the static colour; a memo with the parent's colour asks
  // for the form's colour explicitly.
  if (msg == WM_CTLCOLORSTATIC && FParentColor && Parent()) {
    static TUniqueBrush brush;
    static COLORREF brushColor = CLR_INVALID;
    COLORREF color = Parent()->Color();
    if (!brush || brushColor != color) {
      brush.reset(CreateSolidBrush(color));
      brushColor = color;
    }
    SetBkColor(reinterpret_cast<HDC>(wParam), color);
    result = reinterpret_cast<LRESULT>(brush.get());
    return true;
  }
  return false;
}

// --- TShape ---

void RegisterPaintedControlClass(const wchar_t* className) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = className;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  RegisterClassExW(&wc);
}

void TShape::CreateParams(TControlParams& params) {
  RegisterPaintedControlClass(kShapeClass);
  params.ClassName = kShapeClass;
}

void TShape::SetShape(TShapeType shape) {
  FShape = shape;
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TShape::SetBrushColor(COLORREF color) {
  FBrush = color;
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TShape::SetPenColor(COLORREF color) {
  FPen = color;
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT TShape::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ERASEBKGND) return 1;
  if (msg != WM_PAINT) return DefaultHandler(msg, wParam, lParam);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Handle(), &ps);
  RECT r;
  GetClientRect(Handle(), &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  TUniqueBrush brush(CreateSolidBrush(FBrush));
  TUniquePen pen(CreatePen(PS_SOLID, 1, FPen));
  HGDIOBJ oldBrush = SelectObject(dc, brush.get());
  HGDIOBJ oldPen = SelectObject(dc, pen.get());
  switch (FShape) {
    case TShapeType::stRectangle: Rectangle(dc, r.left, r.top, r.right, r.bottom); break;
    case TShapeType::stEllipse: Ellipse(dc, r.left, r.top, r.right, r.bottom); break;
    case TShapeType::stRoundRect: {
      int corner = std::min(r.right - r.left, r.bottom - r.top) / 4;
      RoundRect(dc, r.left, r.top, r.right, r.bottom, corner, corner);
      break;
    }
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  EndPaint(Handle(), &ps);
  return 0;
}

// --- TBevel ---

void TBevel::CreateParams(TControlParams& params) {
  params.ClassName = WC_STATICW;
  switch (FShape) {
    case TBevelShape::bsBox: params.Style |= SS_ETCHEDFRAME; break;
    case TBevelShape::bsFrame: params.Style |= SS_ETCHEDFRAME; break;
    case TBevelShape::bsTopLine:
    case TBevelShape::bsBottomLine: params.Style |= SS_ETCHEDHORZ; break;
  }
}

}  // namespace hv
