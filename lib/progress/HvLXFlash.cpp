#include "HvLXFlash.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvLXClock.h"
#include "HvLXFlashConsole.h"
#include "HvLXResStrings.h"
#include "HvLXWait.h"
#include "HvScopeExit.h"

namespace hv {
namespace {

// Broadcasts closer together than this are dropped, except at the two ends of the range.
constexpr std::uint32_t BroadcastGapMs = 25;
// Below this much timing, or this much progress, an estimate would mostly be noise.
constexpr std::int64_t EstimateAfterSecs = 15;
constexpr int EstimateAfterCount = 10;

// Plain values only: thread_local objects with destructors are fragile on some runtimes.
// The list holds no references; it exists exactly while the thread has a live flash.
thread_local std::vector<TFlash*>* tFlashList = nullptr;
thread_local TFlashExtenderFactory tFactory = nullptr;
thread_local void* tFactoryObject = nullptr;

// Smallest progress whose rounded percentage of `total` is at least `pct`.
std::int64_t FirstProgressOfPercentage(int pct, int total) {
  if (pct <= 0) return 0;
  // round(100·v/total) >= pct  <=>  200·v >= total·(2·pct − 1)
  std::int64_t bound = static_cast<std::int64_t>(total) * (2 * pct - 1);
  return (bound + 199) / 200;
}

}  // namespace

void TCustomFlashExtender::ReleaseLast(TCustomFlashExtender* extender) noexcept {
  // Runs from the releasing flash's destructor, possibly while an exception unwinds: a
  // failing refresh must not end the process.
  try {
    extender->BeforeDestruction();
  } catch (...) {
  }
  try {
    extender->DoUpdate(TFlashUpdateType::ftAll);
  } catch (...) {
  }
  delete extender;
}

void SetFlashExtenderFactory(TFlashExtenderFactory factory, void* object) {
  tFactory = factory;
  tFactoryObject = factory ? object : nullptr;
}

TFlash::TFlash(bool cancellable) : FPicture(std::make_unique<TPicture>()), FCancellable(cancellable) {
  FPicture->SetOnChange([this] { PictureChanged(); });
  BeginWait();
  {
    ScopeExit undo([] {
      if (tFlashList && tFlashList->empty()) {
        delete tFlashList;
        tFlashList = nullptr;
      }
      // A failing wait hook must not replace the failure that got here.
      try {
        EndWait();
      } catch (...) {
      }
    });
    if (!tFlashList) tFlashList = new std::vector<TFlash*>;
    tFlashList->push_back(this);
    undo.Dismiss();
  }
  FLevel = static_cast<int>(tFlashList->size());
  if (tFactory) {
    // A display that cannot be made costs the display, not the operation.
    try {
      FExtender = tFactory(tFactoryObject, cancellable);
    } catch (...) {
      FExtender.reset();
    }
  }
}

TFlash::~TFlash() {
  if (tFlashList) {
    auto it = std::find(tFlashList->rbegin(), tFlashList->rend(), this);
    if (it != tFlashList->rend()) tFlashList->erase(std::next(it).base());
    if (tFlashList->empty()) {
      delete tFlashList;
      tFlashList = nullptr;
    }
  }
  FPicture.reset();
  try {
    EndWait();
  } catch (...) {
  }
  // Last, so a display refreshing on its release sees only the flashes that remain.
  FExtender.reset();
}

void TFlash::CheckCancel() {
  CheckThread();
  if (!FCancellable) throw EHvInternalError(L"Internal Error: CheckCancel is not enabled.");
  if (FExtender) FExtender->CheckCancel();
}

const std::wstring& TFlash::Message() const {
  CheckThread();
  return FMessage;
}

void TFlash::SetMessage(const std::wstring& value) {
  CheckThread();
  if (value == FMessage) {
    if (FCancellable) CheckCancel();
    return;
  }
  FMessage = value;
  if (FExtender)
    FExtender->SetMessage(FMessage, FLevel);
  else
    ShowOnConsole(FMessage);
}

void TFlash::SetProgressOutsidePercentage(int value) {
  HV_ASSERT(value >= 0);
  if (value > 0 && FProgressTotal == 0) FProgressTotal = 100;
  if (FProgressTotal < value) {
    FProgressTotal = value;
    FProgressStartTime = 0;
  }
  FProgress = value;
  CheckPercentage();
}

void TFlash::SetProgressTotal(int value) {
  CheckThread();
  HV_ASSERT(value >= 0);
  if (FProgressTotal != 0 && FProgressTotal != value) FProgressStartTime = 0;
  if (value < FProgress) FProgress = value;
  FProgressTotal = value;
  CheckPercentage();
}

void TFlash::CheckPercentage() {
  int pct = FProgressTotal == 0 ? 0 : MulDivRounded(FProgress, 100, FProgressTotal);
  if (FProgressTotal == 0) {
    FPctLow = FPctHigh = 0;
  } else {
    FPctLow = static_cast<int>(FirstProgressOfPercentage(pct, FProgressTotal));
    FPctHigh = static_cast<int>(
        std::min<std::int64_t>(FProgressTotal, FirstProgressOfPercentage(pct + 1, FProgressTotal) - 1));
  }
  if (pct != FProgress_Pct) {
    FProgress_Pct = pct;
    BroadcastProgress();
  } else if (FCancellable) {
    CheckCancel();
  }
}

void TFlash::BroadcastProgress() {
  // The ends are always shown, so a display never stays at "almost done" or "not started".
  bool atEnd = FProgress == 0 || FProgress == FProgressTotal;
  if (!atEnd && MillisecondsSince(FLastProgressBroadcast) <= BroadcastGapMs) return;
  UpdateEstimate();
  if (FExtender) {
    FExtender->SetProgress(FProgress, FProgressTotal, FLevel);
  } else if (FProgressTotal == 0) {
    ShowOnConsole(FMessage);
  } else {
    ShowOnConsole(Fmt(L"%s  (%d %%)", FMessage, MulDivRounded(FProgress, 100, FProgressTotal)));
  }
  FLastProgressBroadcast = TickCountLX();
}

void TFlash::UpdateEstimate() {
  double now = NowLX();
  if (FProgressStartTime == 0 && FProgressTotal > 0) FProgressStartTime = now;
  FSecsRemaining = 0;
  // A clock set back before the start gives no estimate rather than a negative one.
  if (FProgressStartTime == 0 || now <= FProgressStartTime) return;
  if (WholeSecondsBetween(now, FProgressStartTime) <= EstimateAfterSecs || FProgress <= EstimateAfterCount)
    return;
  double elapsed = (now - FProgressStartTime) * SecsPerDay;
  double remaining = static_cast<double>(FProgressTotal) / FProgress * elapsed - elapsed;
  FSecsRemaining = static_cast<int>(std::min<double>(std::nearbyint(remaining), INT_MAX));
}

void TFlash::PictureChanged() {
  CheckThread();
  if (FExtender) FExtender->SetPicture(FPicture.get());
}

void TFlash::ShowOnConsole(const std::wstring& text) const {
  std::wstring indent(static_cast<size_t>(std::min(2 * FLevel, 13)), L' ');
  detail::WriteProgressLine(Fmt(L"%s%s", indent, text));
}

IFlash CreateFlash(const std::wstring& message, int progressTotal, bool cancellable) {
  auto flash = std::make_shared<TFlash>(cancellable);
  flash->SetMessage(message);
  if (progressTotal != 0) flash->SetProgressTotal(progressTotal);
  if (cancellable) flash->CheckCancel();
  return flash;
}

TGlobalFlashState GetGlobalFlashState() {
  TGlobalFlashState state;
  if (!tFlashList) return state;
  for (TFlash* flash : *tFlashList) {
    if (!flash->Picture()->Empty()) state.Picture = flash->Picture();
    const std::wstring& message = flash->FMessage;
    if (!message.empty() && message != SPleaseWait) {
      if (state.Msg1.empty())
        state.Msg1 = message;
      else
        state.Msg2 = message;
    }
    if (flash->ProgressTotal() > 0) {
      if (state.Prog1_Total == 0) {
        state.Prog1_Total = flash->ProgressTotal();
        state.Prog1 = flash->Progress();
        state.Secs_Remaining = flash->SecsRemaining();
      } else {
        state.Prog2_Total = flash->ProgressTotal();
        state.Prog2 = flash->Progress();
      }
    }
    if (flash->Cancellable()) state.ShowCancel = true;
  }
  return state;
}

}  // namespace hv
