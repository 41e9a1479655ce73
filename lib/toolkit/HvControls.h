// Child controls of a form: thin owners of one native child window each. A control keeps
// its layout at 96 dots per inch with anchors, and its state in fields until the form
// creates the native windows, so a form can be described in code before it has a handle.
#pragma once

#include <functional>
#include <string>

#include "HvComponent.h"
#include "HvWindows.h"

namespace hv {

class TForm;
class TWinControl;

using TNotifyEvent = std::function<void(TComponent* sender)>;

enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;

// A rectangle in design units (96 dots per inch).
struct TBounds {
  int Left = 0, Top = 0, Width = 0, Height = 0;
};

struct TControlParams {
  std::wstring ClassName;
  DWORD Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  DWORD ExStyle = 0;
};

class TWinControl : public TComponent {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  TForm* Parent() const { return FParent; }
  // Places the control on a form; the native window follows when the form has one.
  void SetParent(TForm* form);

  HWND Handle() const { return FHandle; }
  bool HandleAllocated() const { return FHandle != nullptr; }

  const TBounds& DesignBounds() const { return FDesign; }
  void SetDesignBounds(const TBounds& bounds);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors anchors) { FAnchors = anchors; }
  // The control's rectangle in its form's client area, in pixels.
  RECT BoundsRect() const;

  std::wstring Text() const;
  void SetText(const std::wstring& text);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool enabled);
  bool Visible() const { return FVisible; }
  void SetVisible(bool visible);
  int TabOrder() const { return FTabOrder; }
  void SetTabOrder(int order) { FTabOrder = order; }
  bool Focused() const { return FHandle && GetFocus() == FHandle; }
  void SetFocus();

  TNotifyEvent OnClick;

  // Called by the form: native window creation on the form's window, layout, and the
  // notifications that Windows sends to the parent on the control's behalf.
  void CreateHandle(HWND parent);
  void DestroyHandle();
  void ApplyLayout(int deltaWidth, int deltaHeight);
  virtual bool ParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  static TWinControl* FromHandle(HWND hwnd);

 protected:
  virtual void CreateParams(TControlParams& params) = 0;
  // Pushes the state kept in fields into the new native window.
  virtual void InitializeHandle() {}
  // Reads the state the user may have changed back into fields before the window goes.
  virtual void SaveHandleState() {}
  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);
  virtual void Click();

 private:
  friend class TForm;
  static LRESULT CALLBACK ControlWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

  TForm* FParent = nullptr;
  // Owned through the window's messages, as TForm's (cleared at WM_NCDESTROY).
  HWND FHandle = nullptr;
  // The procedure the window had before ours: what DefaultHandler passes a message on to.
  WNDPROC FClassProc = nullptr;
  TBounds FDesign;
  TAnchors FAnchors = akLeft | akTop;
  std::wstring FText;
  bool FEnabled = true;
  bool FVisible = true;
  int FTabOrder = -1;
};

// Registers (once per process) the window class of a control that paints itself: default
// window procedure, arrow cursor, repainted on resizing.
void RegisterPaintedControlClass(const wchar_t* className);

// A label is as wide as its text in the font it is shown with (AutoSize, on by default), so a
// host that substitutes a wider font never cuts the text off.
class TLabel : public TWinControl {
 public:
  using TWinControl::TWinControl;
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value) { FAutoSize = value; }
  void SetText(const std::wstring& text);

 protected:
  void CreateParams(TControlParams& params) override;
  void InitializeHandle() override;

 private:
  void FitToText();
  bool FAutoSize = true;
};

class TButton : public TWinControl {
 public:
  using TWinControl::TWinControl;
  bool Default() const { return FDefault; }
  void SetDefault(bool value) { FDefault = value; }
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int value) { FModalResult = value; }

 protected:
  void CreateParams(TControlParams& params) override;
  bool ParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void Click() override;

 private:
  bool FDefault = false;
  int FModalResult = 0;
};

class TCheckBox : public TWinControl {
 public:
  using TWinControl::TWinControl;
  bool Checked() const;
  void SetChecked(bool value);

 protected:
  void CreateParams(TControlParams& params) override;
  void InitializeHandle() override;
  void SaveHandleState() override;
  bool ParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  bool FChecked = false;
};

class TEdit : public TWinControl {
 public:
  using TWinControl::TWinControl;
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  // The most characters the user can type in; 0 is the system's limit. Kept for every window
  // the edit gets.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int value);
  void SelectAll();

 protected:
  void CreateParams(TControlParams& params) override;
  void InitializeHandle() override;

  bool FReadOnly = false;
  int FMaxLength = 0;
};

// A multi-line text box; `Lines` are kept with CR LF between them.
class TMemo : public TEdit {
 public:
  using TEdit::TEdit;
  void Clear() { SetText(L""); }
  void AppendLine(const std::wstring& line);
  int LineCount() const;
  std::wstring Line(int index) const;
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool value) { FParentColor = value; }

 protected:
  void CreateParams(TControlParams& params) override;
  bool ParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  bool FParentColor = false;
};

enum class TShapeType { stRectangle, stEllipse, stRoundRect };

// A painted figure with a pen and a brush colour.
class TShape : public TWinControl {
 public:
  using TWinControl::TWinControl;
  TShapeType Shape() const { return FShape; }
  void SetShape(TShapeType shape);
  COLORREF BrushColor() const { return FBrush; }
  void SetBrushColor(COLORREF color);
  COLORREF PenColor() const { return FPen; }
  void SetPenColor(COLORREF color);

 protected:
  void CreateParams(TControlParams& params) override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  TShapeType FShape = TShapeType::stRectangle;
  COLORREF FBrush = RGB(255, 255, 255);
  COLORREF FPen = RGB(0, 0, 0);
};

enum class TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine };

class TBevel : public TWinControl {
 public:
  using TWinControl::TWinControl;
  TBevelShape Shape() const { return FShape; }
  void SetShape(TBevelShape shape) { FShape = shape; }

 protected:
  void CreateParams(TControlParams& params) override;

 private:
  TBevelShape FShape = TBevelShape::bsBox;
};

}  // namespace hv
