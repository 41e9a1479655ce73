// The progress window of the main thread: one shared window shows the aggregate of every
// live flash (the outer and inner message, two bars, the time still needed) with a Cancel
// button, keeps the program responsive while the work runs, and turns Cancel into EAbort
// at the work's next flash call.
#pragma once

#include <cstdint>
#include <memory>

#include "HvLXComCtrls.h"
#include "HvLXExtCtrls.h"
#include "HvLXFlash.h"
#include "HvLXForms.h"
#include "HvLXLabel.h"
#include "HvLXStdCtrls.h"

namespace hv {

enum class THeightMode { hmNone, hmMessages, hmProgress, hmCancel };

class THvCancelableForm : public THvFormLX {
  HV_FORM_CLASS(THvCancelableForm, THvFormLX)

 public:
  // Use TForm::Create<THvCancelableForm>(owner): the layout comes from the form resource.
  explicit THvCancelableForm(TComponent* owner);
  ~THvCancelableForm() override;

  // Shows `state`, refreshing only what `updateType` names. The first call shows the window
  // modally. `cancellable` says whether the flash that asks may be stopped: only then are
  // all waiting messages handled and a Cancel press turned into EAbort (once per window).
  void UpdateState(const TGlobalFlashState& state, TFlashUpdateType updateType, bool cancellable);

  THeightMode HeightMode() const { return FHeightMode; }
  bool CancelPressed() const { return FCancelPressed; }

  THvImage* TopFrame = nullptr;
  THvLabel* PleaseWaitLbl = nullptr;
  THvLabel* Message1 = nullptr;
  THvLabel* Message2 = nullptr;
  THvProgressBar* ProgressBar1 = nullptr;
  THvProgressBar* ProgressBar2 = nullptr;
  TShape* BottonFrame = nullptr;
  THvLabel* EstTimeLbl = nullptr;
  THvButton* CancelBtn = nullptr;
  THvImage* Image1 = nullptr;

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  void InitializeNewForm() override;

 private:
  friend class THvVisualFlashExtender;
  // The refresh of an extender that is going away must not raise: nothing would catch the
  // abort, and the press would be lost for the work that is still running.
  void Refresh(const TGlobalFlashState& state, TFlashUpdateType updateType, bool cancellable, bool mayAbort);
  void CancelBtnClick(TComponent* sender);
  // `lastPixel` is the pixel the bar was last moved to.
  void SetBarPosition(THvProgressBar& bar, int& lastPixel, int prog, int total);
  void SetHeightMode(THeightMode mode, bool cancellable);
  void SetAlphaBlend(bool on);
  void CheckCancelPressed();

  HWND FActiveWnd = nullptr;
  THeightMode FHeightMode = THeightMode::hmNone;
  int FOriginalHeight = 0;
  bool FCancelPressed = false;
  bool FCancelPressed_AbortRaised = false;
  bool FShownModal = false;
  std::uint32_t FLastProcessMessages = 0;
  std::uint32_t FLastEstTimeUpdate = 0;
  int FProgMax = 0;
  int FBar1Pixel = 0;
  int FBar2Pixel = 0;
};

// The caption of the remaining-time line for `secsRemaining` (empty for none).
std::wstring RemainingTimeText(int secsRemaining);

// The display of one flash of the main thread. All live ones share the window.
class THvVisualFlashExtender final : public TCustomFlashExtender {
 public:
  // The factory of the main thread's flashes. Raises EAssertionFailed off the main thread.
  static std::shared_ptr<IFlashExtender> CreateFlashExtender(void* object, bool cancellable);

 protected:
  void DoUpdate(TFlashUpdateType updateType) override;
  void BeforeDestruction() override;

 private:
  friend class TCustomFlashExtender;
  explicit THvVisualFlashExtender(bool cancellable);

  const bool FCancellable;
  bool FReleased = false;
};

// The shared window while any visual extender lives; nullptr otherwise.
THvCancelableForm* CancelableForm();

// One more visual extender: creates the shared window with the first. Main thread only;
// raises EAssertionFailed otherwise, and leaves the count as it was when anything fails.
void AcquireCancelableForm();
// One extender less: the last one frees the window. Raises EAssertionFailed when nothing
// was acquired.
void ReleaseCancelableForm();

// For the program's start-up on the main thread: every flash created on this thread from
// now on is shown in the progress window. Remove with SetFlashExtenderFactory(nullptr).
void InstallCancelableFormFactory();

}  // namespace hv
