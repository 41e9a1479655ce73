// THvFormLX: the base of every window of the library. Adds a one-time event after the first
// activation, fitting to the monitor, an own taskbar button per window, modal showing
// without a nested message loop, placement persistence, nested redraw suspension, the Ctrl
// clipboard shortcuts, and the adaptations Wine hosts need.
// Its members live in HvLXForms.cpp and, by job, HvLXFormTaskBar.cpp, HvLXFormModal.cpp,
// HvLXFormMdi.cpp and HvLXFormPlacement.cpp.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "HvForms.h"

namespace hv {

class THvFormLX : public TForm {
  HV_FORM_CLASS(THvFormLX, TForm)

 public:
  // Creates the window without a resource (CreateNew); use TForm::Create<T> or
  // Application().CreateForm<T>() to load the resource chain.
  explicit THvFormLX(TComponent* owner);
  ~THvFormLX() override;

  void Show() override;
  int ShowModal() override;
  // Shows the window modally and returns at once; the caller's own loop keeps running.
  void StartModal();
  void StopModal(bool Skip_SetActiveWindow = false);

  // Placement in the registry under `RootKey`\`RegKey`; false when the key cannot be opened
  // (or, for LoadForm, when the user holds Shift+Ctrl to start from the designed place).
  bool LoadForm(HKEY RootKey, const std::wstring& RegKey);
  bool SaveForm(HKEY RootKey, const std::wstring& RegKey);

  // Nested redraw suspension of this window.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }
  // The same for the main window's MDI client area, counted process-wide.
  static void BeginClientUpdate();
  static void EndClientUpdate();

  bool TaskBarButton() const { return FTaskBarButton; }
  void SetTaskBarButton(bool value);
  void SetFormStyle(TFormStyle style) override;

  bool FirstActivateDone() const { return FFirstActivateDone; }
  // Fires once, after the first activation of the visible window has been handled.
  std::function<void(TForm&)> OnActivateFirstDone;

  // The variable set to nullptr when this window is destroyed.
  template <class T>
  void SetAutoNilRef(T** ref) {
    FAutoNilRef = ref ? std::function<void()>([ref] { *ref = nullptr; }) : nullptr;
  }

  // MDI bars: a frame's control bar (hosts merged tool bars) and status bar; a child's own
  // tool bar and status bar, merged into the frame while it is the active maximised child.
  TWinControl* MDIControlBar() const { return FMDIControlBar; }
  void SetMDIControlBar(TWinControl* bar) { FMDIControlBar = bar; }
  TWinControl* MDIToolBar() const { return FMDIToolBar; }
  void SetMDIToolBar(TWinControl* bar) { FMDIToolBar = bar; }
  TWinControl* MDIStatusBar() const { return FMDIStatusBar; }
  void SetMDIStatusBar(TWinControl* bar) { FMDIStatusBar = bar; }
  bool MDIChildActivated() const { return FMDIChild_Activated; }
  // Merges or returns this child's bars according to whether it is the active maximised child.
  void MDIChild_UpdateMdiDockState();

  bool IsShortCut(const MSG& msg) override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  // Runs at the first activation of the visible window, before OnActivateFirstDone.
  virtual void DoFirstActivate();
  // The class whose resource (and its ancestors') is not loaded.
  virtual const TFormClassInfo& ResourceStopClass() const { return THvFormLX::StaticClassInfo(); }
  void InitializeNewForm() override;
  void Activate() override;
  void DoClose(TCloseAction& action) override;
  void CreateParams(TCreateParams& params) override;
  void VisibleChanging() override;
  void ModalLoopEnded() override;

 private:
  void FixMacDisplayIfNeeded();
  void CheckModalValidity() const;
  void MergeMdiBars(bool merge);

  std::vector<HWND> WindowList;
  HWND SaveActiveWindow = nullptr;
  TWinControl* FMDIControlBar = nullptr;
  TWinControl* FMDIToolBar = nullptr;
  TWinControl* FMDIStatusBar = nullptr;
  HWND FMergedToolBarParent = nullptr;
  HWND FMergedStatusBarParent = nullptr;
  RECT FMergedStatusBarRect{};
  int FUpdateCount = 0;
  bool FMDIChild_Activated = false;
  bool FFirstActivateDone = false;
  std::function<void()> FAutoNilRef;
  bool FTaskBarButton = false;
  bool FStayOnTopWhileModal = false;
};

// Unit start-up: font boost, taskbar ownership of the main window, automatic modal popups.
// Runs once; every THvFormLX runs it on creation, the program may run it earlier.
void InitializeHvLXForms();

}  // namespace hv
