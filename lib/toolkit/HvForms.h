// The form: a top-level window that owns its controls, described in code at 96 dots per
// inch and scaled to the screen. Its native window is created on first need and may be
// recreated when a property that only creation can set changes; the controls survive that.
// One class, one file per job: HvForms.cpp (the object, its properties, showing and
// closing), HvFormWindow.cpp, HvFormOwner.cpp, HvFormMdi.cpp, HvFormLayout.cpp, HvFormModal.cpp.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "HvComponent.h"
#include "HvExceptions.h"
#include "HvControls.h"
#include "HvFormResources.h"
#include "HvGdiHandles.h"
#include "HvWindows.h"

namespace hv {

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum class TPopupMode { pmNone, pmAuto, pmExplicit };
enum class TPosition { poDesigned, poDefault, poScreenCenter };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };

// Modal results.
constexpr int mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL;

struct TCreateParams {
  std::wstring Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = CW_USEDEFAULT, Y = CW_USEDEFAULT, Width = CW_USEDEFAULT, Height = CW_USEDEFAULT;
  HWND WndParent = nullptr;
};

struct TFontSpec {
  std::wstring Name = L"Tahoma";
  int Height = -11;  // at 96 dots per inch, negative: character height
};

HV_DECLARE_EXCEPTION(EInvalidOperation, Exception);
HV_DECLARE_EXCEPTION(EResNotFound, Exception);

// Disables every visible, enabled top-level window of the thread but `except`, and
// answers them so they can be enabled again.
std::vector<HWND> DisableTaskWindows(HWND except);
void EnableTaskWindows(const std::vector<HWND>& windows);

// Serialises form creation: loading resources reads shared registries.
std::recursive_mutex& GlobalNameSpace();

class TForm : public TComponent {
 public:
  // Creates the form without loading a resource (the platform's CreateNew).
  explicit TForm(TComponent* owner);
  ~TForm() override;

  static const TFormClassInfo& StaticClassInfo() {
    static const TFormClassInfo info{L"TForm", nullptr};
    return info;
  }
  virtual const TFormClassInfo& ClassInfo() const { return StaticClassInfo(); }
  std::wstring ClassName() const { return ClassInfo().Name; }

  // Creates a form of class T and loads its resources (the platform's Create). The full
  // type must exist before the resource is read, hence a factory instead of a constructor.
  template <class T, class... Args>
  static T* Create(TComponent* owner, Args&&... args) {
    std::unique_ptr<T> form(new T(owner, std::forward<Args>(args)...));
    FinishCreate(*form);
    return form.release();
  }
  // The second phase of Create: the resource chain, then the create event.
  static void FinishCreate(TForm& form) {
    form.InitializeNewForm();
    form.AfterConstruction();
  }

  // Adds a control described at 96 dots per inch.
  template <class C>
  C* Add(const std::wstring& name, const TBounds& bounds, TAnchors anchors = akLeft | akTop) {
    C* control = new C(this);
    control->SetName(name);
    control->SetDesignBounds(bounds);
    control->SetAnchors(anchors);
    control->SetParent(this);
    return control;
  }
  const std::vector<TWinControl*>& Controls() const { return FControls; }
  TComponent* FindComponent(const std::wstring& name) const;

  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded() { Handle(); }
  void RecreateWnd();
  static TForm* FromHandle(HWND hwnd);

  std::wstring Caption() const { return FCaption; }
  void SetCaption(const std::wstring& caption);
  // Client size given at 96 dots per inch; scaled when the window is created.
  void SetClientSize96(int width, int height);
  int ClientWidth96() const { return FClientWidth96; }
  int ClientHeight96() const { return FClientHeight96; }
  void SetMinSize96(int width, int height) { FMinWidth96 = width; FMinHeight96 = height; }
  // Window position and size in screen pixels.
  RECT BoundsRect() const;
  int Left() const { return BoundsRect().left; }
  int Top() const { return BoundsRect().top; }
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int left);
  void SetTop(int top);

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle style);
  unsigned BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(unsigned icons);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition position) { FPosition = position; }
  TFormStyle FormStyle() const { return FFormStyle; }
  virtual void SetFormStyle(TFormStyle style);
  TPopupMode PopupMode() const { return FPopupMode; }
  void SetPopupMode(TPopupMode mode);
  TForm* PopupParent() const { return FPopupParent; }
  void SetPopupParent(TForm* parent);
  TWindowState WindowState() const;
  void SetWindowState(TWindowState state);
  const TFontSpec& Font() const { return FFont; }
  void SetFont(const TFontSpec& font);
  HFONT FontHandle();
  COLORREF Color() const { return FColor; }
  void SetColor(COLORREF color) { FColor = color; }

  bool Visible() const { return FHandle && IsWindowVisible(FHandle); }
  bool Enabled() const { return !FHandle || IsWindowEnabled(FHandle); }
  bool Active() const { return FHandle && GetActiveWindow() == FHandle; }
  bool Showing() const { return FShowing; }
  bool Destroying() const { return FDestroying; }
  bool Modal() const { return FModal; }

  virtual void Show();
  void Hide();
  void Close();
  virtual int ShowModal();
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int result) { FModalResult = result; }

  // Content size of the client area along SB_HORZ or SB_VERT, in pixels; when larger than
  // the client area a scroll bar lets the user reach the rest. 0 removes it.
  void SetScrollRange(int bar, int range);
  int ScrollRange(int bar) const { return bar == SB_VERT ? FScrollRange[1] : FScrollRange[0]; }

  // The active control within the form (the focused child, if any).
  TWinControl* ActiveControl() const;
  // The form's own MDI client window (MDI frames only).
  HWND ClientHandle() const { return FClientHandle; }

  std::function<void(TForm&)> OnCreate, OnDestroy, OnActivate, OnDeactivate, OnShow, OnHide, OnResize;
  std::function<void(TForm&, TCloseAction&)> OnClose;
  std::function<void(TForm&, bool&)> OnCloseQuery;

  // Offered every key-down message (with Alt too) before dispatch; true consumes it.
  virtual bool IsShortCut(const MSG& msg) { return false; }
  // The message procedure of the native window.
  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);

 protected:
  // Loads the resource chain; the base form has no resource.
  virtual void InitializeNewForm() {}
  // Reads one class's resource into the form; false when the class has none.
  bool ReadResource(const std::wstring& className);
  // String-list values of a resource are handed here by property name.
  virtual void ReadResourceStrings(const std::wstring& property, const std::vector<std::wstring>& values) {}
  void AfterConstruction();
  void DoCreate();
  bool OldCreateOrder() const { return FOldCreateOrder; }
  void SetCreating(bool creating) { FCreating = creating; }

  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  void DestroyHandle();
  LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);
  virtual void Activate();
  virtual void Deactivate();
  virtual void DoClose(TCloseAction& action);
  virtual void VisibleChanging() {}
  // The modal loop of ShowModal ended; the window is still shown.
  virtual void ModalLoopEnded() {}
  // The window's bounds changed by the user or by code.
  virtual void Resize();
  void SetDestroying() { FDestroying = true; }
  // Changes the popup mode without rebuilding the window (while computing parameters).
  void SetPopupModeField(TPopupMode mode) { FPopupMode = mode; }
  void SetModal(bool modal) { FModal = modal; }

 private:
  friend class TWinControl;
  // Sets the owner (WndParent) of the window to create.
  void ChooseOwner(TCreateParams& params);
  void CreateMdiClient(HWND frame);
  void AddControl(TWinControl* control);
  void RemoveControl(TWinControl* control);
  void CreateControls();
  void PlaceInitially();
  void ApplyTabOrder();
  void LayoutControls();
  void UpdateScrollBars();
  void Scroll(int bar, int code);
  static void RegisterFormClass();
  static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

  // Owned, but through the window's messages rather than an owner type: set at WM_NCCREATE,
  // cleared at WM_NCDESTROY, and still valid while the window is destroyed, because the
  // window procedure needs it then. The MDI client is a child and dies with it.
  HWND FHandle = nullptr;
  HWND FClientHandle = nullptr;
  std::vector<TWinControl*> FControls;
  TUniqueFont FFontHandle;
  int FFontPpi = 0;
  std::wstring FCaption;
  int FClientWidth96 = 320, FClientHeight96 = 240;
  int FMinWidth96 = 0, FMinHeight96 = 0;
  int FCreatedClientWidth = 0, FCreatedClientHeight = 0;  // layout reference in pixels
  TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
  unsigned FBorderIcons = biSystemMenu | biMinimize | biMaximize;
  TPosition FPosition = TPosition::poDefault;
  TFormStyle FFormStyle = TFormStyle::fsNormal;
  TPopupMode FPopupMode = TPopupMode::pmNone;
  TForm* FPopupParent = nullptr;
  TWindowState FWindowState = TWindowState::wsNormal;
  TFontSpec FFont;
  COLORREF FColor = GetSysColor(COLOR_BTNFACE);
  bool FPlaced = false;
  bool FShowing = false;
  bool FDestroying = false;
  bool FModal = false;
  bool FCreating = false;
  bool FOldCreateOrder = false;
  bool FRecreating = false;
  bool FModalLoop = false;
  int FScrollRange[2] = {0, 0};  // horizontal, vertical
  int FScrollPos[2] = {0, 0};
  int FModalResult = mrNone;
};

}  // namespace hv
