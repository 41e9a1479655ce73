#include "HvLXCancelableFrm.h"

#include "HvApplication.h"
#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvLXChecks.h"
#include "HvLXClock.h"
#include "HvLXMessagePumps.h"
#include "HvLXPendingMessages.h"
#include "HvLXThreadCheck.h"
#include "HvLXResStrings.h"
#include "HvGdiHandles.h"

namespace hv {
namespace {

const wchar_t SAboutOneSecond[] = L"About 1 second remaining";
const wchar_t SAboutSeconds[] = L"About %d seconds remaining";
const wchar_t SAboutOneMinute[] = L"About 1 minute remaining";
const wchar_t SAboutMinutes[] = L"About %d minutes remaining";
const wchar_t SAboutOneHour[] = L"About 1 hour remaining";
const wchar_t SAboutHours[] = L"About %d hours remaining";
const wchar_t SMoreThan12Hours[] = L"More than 12 hours remaining";
const wchar_t SCancel[] = L"Cancel";

// The banner strip, an RCDATA resource that every program showing flashes links in.
const wchar_t kBannerResource[] = L"HVLXCANCELABLEBANNER";
// What the heading shows through when the banner cannot be loaded.
const COLORREF kBannerGreen = RGB(52, 150, 63);

// Gap above an aligned control, as the height stages measure it.
const int kTopMargin = 3;
const UINT kMessageInterval = 10;
const UINT kEstTimeInterval = 1000;

THvCancelableForm* gCancelableForm = nullptr;
int gExtenderCount = 0;

bool IsSecondsRange(int secs) { return secs >= 1 && secs <= 59; }

// The banner's own colour under the heading, so the heading blends into the strip.
COLORREF BannerColorAt(const TPicture& picture) {
  if (picture.Empty()) return kBannerGreen;
  TUniqueMemoryDC dc(CreateCompatibleDC(nullptr));
  HGDIOBJ old = SelectObject(dc.get(), picture.Bitmap());
  COLORREF color = GetPixel(dc.get(), picture.Width() / 2, picture.Height() / 2);
  SelectObject(dc.get(), old);
  return color == CLR_INVALID ? kBannerGreen : color;
}

void BuildLayout(THvCancelableForm& f) {
  f.SetBorderStyle(TFormBorderStyle::bsToolWindow);
  f.SetBorderIcons(0);
  f.SetCaption(L"");
  f.SetColor(GetSysColor(COLOR_WINDOW));
  f.SetFont({L"MS Shell Dlg 2", -11});
  f.SetPosition(TPosition::poScreenCenter);
  f.SetClientSize96(434, 217);

  // Added top-most first: a control covers those added after it, so the texts go before
  // the strips they lie on.
  f.PleaseWaitLbl = f.Add<THvLabel>(L"PleaseWaitLbl", {15, 9, 200, 20});
  f.PleaseWaitLbl->SetFont({L"Tahoma", -13}, true);
  f.PleaseWaitLbl->SetFontColor(RGB(255, 255, 255));
  f.PleaseWaitLbl->SetText(L"Please wait...");
  f.TopFrame = f.Add<THvImage>(L"TopFrame", {0, 0, 434, 38}, akLeft | akTop | akRight);
  f.TopFrame->SetStretch(true);
  try {
    f.TopFrame->Picture().LoadFromResource(GetModuleHandleW(nullptr), kBannerResource);
  } catch (const Exception&) {
    // The banner is decoration: a program built without it shows the plain green strip.
  }
  f.PleaseWaitLbl->SetBackColor(BannerColorAt(f.TopFrame->Picture()));

  f.Message1 = f.Add<THvLabel>(L"Message1", {15, 50, 409, 45}, akLeft | akTop | akRight);
  f.Message1->SetText(L"Please wait...");
  f.Message2 = f.Add<THvLabel>(L"Message2", {15, 96, 397, 18}, akLeft | akTop | akRight);
  f.Message2->SetFontColor(GetSysColor(COLOR_3DSHADOW));
  f.Message2->SetText(L"Please wait...");

  f.ProgressBar1 = f.Add<THvProgressBar>(L"ProgressBar1", {11, 121, 413, 20}, akLeft | akTop | akRight);
  f.ProgressBar1->SetSmooth(true);
  f.ProgressBar1->SetStep(1);
  f.ProgressBar1->SetVisible(false);
  f.ProgressBar2 = f.Add<THvProgressBar>(L"ProgressBar2", {11, 145, 413, 13}, akLeft | akTop | akRight);
  f.ProgressBar2->SetSmooth(false);
  f.ProgressBar2->SetStep(1);
  f.ProgressBar2->SetVisible(false);

  f.CancelBtn = f.Add<THvButton>(L"CancelBtn", {324, 178, 100, 29}, akTop | akRight);
  f.CancelBtn->SetText(L"Cancel");
  f.CancelBtn->SetTabOrder(0);
  f.EstTimeLbl = f.Add<THvLabel>(L"EstTimeLbl", {15, 185, 290, 16});
  f.EstTimeLbl->SetBackColor(GetSysColor(COLOR_3DLIGHT));
  f.EstTimeLbl->SetText(L"About 2 minutes remaining");
  // Bottom-aligned in the full-height window, the only stage in which it shows.
  f.BottonFrame = f.Add<TShape>(L"BottonFrame", {0, 168, 434, 49}, akLeft | akTop | akRight);
  f.BottonFrame->SetBrushColor(GetSysColor(COLOR_3DLIGHT));
  f.BottonFrame->SetPenColor(GetSysColor(COLOR_3DLIGHT));
  f.BottonFrame->SetVisible(false);

  f.Image1 = f.Add<THvImage>(L"Image1", {8, 44, 48, 48});
  f.Image1->SetCenter(true);
  f.Image1->SetProportional(true);
  f.Image1->SetStretch(true);
  f.Image1->SetTransparent(true);
  f.Image1->SetVisible(false);
}

const bool kResourceRegistered = [] {
  RegisterFormResourceFor<THvCancelableForm>(&BuildLayout);
  return true;
}();

}  // namespace

std::wstring RemainingTimeText(int s) {
  if (s <= 0) return {};
  if (s == 1) return SAboutOneSecond;
  if (s < 60) return Fmt(SAboutSeconds, s);
  if (s < 120) return SAboutOneMinute;
  if (s < 3600) return Fmt(SAboutMinutes, s / 60);
  if (s < 7200) return SAboutOneHour;
  if (s < 46800) return Fmt(SAboutHours, s / 3600);
  return SMoreThan12Hours;
}

// --- THvCancelableForm ---

THvCancelableForm::THvCancelableForm(TComponent* owner) : THvFormLX(owner), FActiveWnd(GetActiveWindow()) {
  (void)kResourceRegistered;
}

void THvCancelableForm::InitializeNewForm() {
  THvFormLX::InitializeNewForm();
  PleaseWaitLbl->SetText(SPleaseWait);
  CancelBtn->SetText(SCancel);
  CancelBtn->OnClick = [this](TComponent* sender) { CancelBtnClick(sender); };
  EstTimeLbl->SetText(L"");
  FHeightMode = THeightMode::hmNone;
  HandleNeeded();
  RECT bounds = BoundsRect();
  FOriginalHeight = bounds.bottom - bounds.top;
  // Until there is more to show, only the banner and the message lines.
  SetClientSize96(ClientWidth96(), ProgressBar1->DesignBounds().Top - kTopMargin);
  RECT barClient;
  GetClientRect(ProgressBar1->Handle(), &barClient);
  FProgMax = barClient.right - barClient.left;
  ProgressBar1->SetRange(0, FProgMax);
  ProgressBar2->SetRange(0, FProgMax);
  SetAlphaBlend(true);
}

THvCancelableForm::~THvCancelableForm() {
  if (gCancelableForm == this) gCancelableForm = nullptr;
  try {
    if (FShownModal) StopModal(false);
  } catch (...) {
    Application().HandleException();
  }
  // Our window goes before the one active before us comes back, as the base would do it.
  DestroyHandle();
  if (FActiveWnd && IsWindow(FActiveWnd)) SetActiveWindow(FActiveWnd);
}

LRESULT THvCancelableForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  // Esc reaches a form as the dialog manager's IDCANCEL; Cancel answers it while it shows.
  if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL && !TWinControl::FromHandle(reinterpret_cast<HWND>(lParam))) {
    if (CancelBtn->Visible() && CancelBtn->Enabled()) CancelBtnClick(CancelBtn);
    return 0;
  }
  return THvFormLX::WndProc(msg, wParam, lParam);
}

void THvCancelableForm::CancelBtnClick(TComponent*) { FCancelPressed = true; }

void THvCancelableForm::UpdateState(const TGlobalFlashState& state, TFlashUpdateType updateType, bool cancellable) {
  Refresh(state, updateType, cancellable, true);
}

void THvCancelableForm::Refresh(const TGlobalFlashState& state, TFlashUpdateType updateType, bool cancellable,
                                bool mayAbort) {
  using enum TFlashUpdateType;
  if (updateType == ftAll || updateType == ftPicture) {
    Image1->Picture().Assign(state.Picture);
    Image1->SetVisible(state.Picture != nullptr);
    const TBounds& image = Image1->DesignBounds();
    int left = Image1->Visible() ? image.Left + image.Width + image.Left : Message2->DesignBounds().Left;
    TBounds message = Message1->DesignBounds();
    message.Left = left;
    message.Width = ClientWidth96() - left - image.Left;
    Message1->SetDesignBounds(message);
  }
  if (updateType == ftAll || updateType == ftMessage) {
    Message1->SetText(state.Msg1 == SPleaseWait ? std::wstring() : state.Msg1);
    bool second = state.Msg2 != SPleaseWait && state.Msg2 != state.Msg1;
    Message2->SetText(second ? state.Msg2 : std::wstring());
  }
  if (updateType == ftAll || updateType == ftProgress) {
    if (state.Prog1_Total == 0 && state.ShowCancel) {
      ProgressBar1->SetMarquee(true);
      ProgressBar1->SetVisible(true);
    } else {
      ProgressBar1->SetMarquee(false);
      SetBarPosition(*ProgressBar1, FBar1Pixel, state.Prog1, state.Prog1_Total);
    }
    SetBarPosition(*ProgressBar2, FBar2Pixel, state.Prog2, state.Prog2_Total);
    if (MillisecondsSince(FLastEstTimeUpdate) > kEstTimeInterval) {
      FLastEstTimeUpdate = TickCountLX();
      std::wstring caption = RemainingTimeText(state.Secs_Remaining);
      // A nearly finished operation does not open the bottom band just to say so.
      if (IsSecondsRange(state.Secs_Remaining) && !BottonFrame->Visible() && !state.ShowCancel &&
          state.Secs_Remaining <= 3)
        caption.clear();
      EstTimeLbl->SetText(caption);
    }
  }
  CancelBtn->SetVisible(state.ShowCancel);
  BottonFrame->SetVisible(!EstTimeLbl->Text().empty() || CancelBtn->Visible());

  if (!FShownModal) {
    StartModal();
    FShownModal = true;
  }
  SetHeightMode(BottonFrame->Visible()    ? THeightMode::hmCancel
                : ProgressBar1->Visible() ? THeightMode::hmProgress
                                          : THeightMode::hmMessages,
                cancellable);

  if (MillisecondsSince(FLastProcessMessages) > kMessageInterval) {
    if (cancellable) {
      Application().ProcessMessages();
      RunQueuedMainThreadCalls();
      FLastProcessMessages = TickCountLX();
      if (CancelBtn->Visible() && mayAbort) CheckCancelPressed();
    } else {
      // A press seen here stays recorded for the next cancellable refresh.
      ProcessInputMessages();
      ProcessPaintMessages();
      FLastProcessMessages = TickCountLX();
    }
  }
}

void THvCancelableForm::SetBarPosition(THvProgressBar& bar, int& lastPixel, int prog, int total) {
  bar.SetVisible(total > 0);
  if (total <= 0) return;
  int pos = MulDivRounded(FProgMax, prog, total);
  // Moves in whole pixels, and redraws only when a pixel changes.
  if (pos == lastPixel) return;
  if (pos == lastPixel + 1)
    bar.StepIt();
  else
    bar.SetPosition(pos);
  lastPixel = pos;
}

void THvCancelableForm::SetHeightMode(THeightMode mode, bool cancellable) {
  // The window only grows: a line that comes and goes must not make it jump.
  if (FHeightMode >= mode) return;
  if (mode == THeightMode::hmProgress) {
    SetClientSize96(ClientWidth96(), BottonFrame->DesignBounds().Top - kTopMargin);
  } else if (mode == THeightMode::hmCancel) {
    RECT r = BoundsRect();
    SetBounds(r.left, r.top, r.right - r.left, FOriginalHeight);
  }
  FHeightMode = mode;
  // See-through only while it is a small note; not over bars the user reads.
  SetAlphaBlend(mode == THeightMode::hmMessages);
  if (cancellable)
    Application().ProcessMessages();
  else
    ProcessPaintMessages();
}

void THvCancelableForm::SetAlphaBlend(bool on) {
  HWND h = Handle();
  LONG ex = GetWindowLongW(h, GWL_EXSTYLE);
  if (on) {
    SetWindowLongW(h, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    SetLayeredWindowAttributes(h, 0, 244, LWA_ALPHA);
  } else if (ex & WS_EX_LAYERED) {
    SetWindowLongW(h, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
    RedrawWindow(h, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

void THvCancelableForm::CheckCancelPressed() {
  // One abort per window: clean-up code that still reports progress while unwinding runs on.
  if (FCancelPressed && !FCancelPressed_AbortRaised) {
    FCancelPressed_AbortRaised = true;
    throw EAbort(L"Operation aborted");
  }
}

// --- the shared window ---

THvCancelableForm* CancelableForm() { return gCancelableForm; }

void AcquireCancelableForm() {
  HV_ASSERT(IsMainThread());
  if (gExtenderCount == 0) {
    HV_ASSERT(gCancelableForm == nullptr);
    gCancelableForm = TForm::Create<THvCancelableForm>(&Application());
  }
  ++gExtenderCount;
}

void ReleaseCancelableForm() {
  HV_ASSERT(gExtenderCount > 0);
  if (--gExtenderCount == 0) {
    THvCancelableForm* form = gCancelableForm;
    gCancelableForm = nullptr;
    delete form;
  }
}

// --- THvVisualFlashExtender ---

THvVisualFlashExtender::THvVisualFlashExtender(bool cancellable) : FCancellable(cancellable) {
  AcquireCancelableForm();
}

std::shared_ptr<IFlashExtender> THvVisualFlashExtender::CreateFlashExtender(void*, bool cancellable) {
  return TCustomFlashExtender::Make<THvVisualFlashExtender>(cancellable);
}

void THvVisualFlashExtender::BeforeDestruction() {
  if (FReleased) return;
  FReleased = true;
  ReleaseCancelableForm();
}

void THvVisualFlashExtender::DoUpdate(TFlashUpdateType updateType) {
  THvCancelableForm* form = CancelableForm();
  if (!form) return;
  form->Refresh(GetGlobalFlashState(), updateType, FCancellable, !FReleased);
}

void InstallCancelableFormFactory() { SetFlashExtenderFactory(&THvVisualFlashExtender::CreateFlashExtender); }

}  // namespace hv
