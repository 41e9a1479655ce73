// Flashes: nestable progress contexts of long operations. Work talks only to its flash; how
// the flashes of a thread are shown is up to an extender that the thread's factory attaches
// to each new flash (the progress window on the main thread; nothing elsewhere, or lines on
// standard output in a console program).
//
// Everything here is per thread: a flash belongs to the thread that created it and must be
// used and released there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "HvLXFlashCore.h"
#include "HvLXThreadCheck.h"
#include "HvPicture.h"

namespace hv {

// a·b/c with a 64-bit product, rounded to the nearest integer, halves away from zero.
// c must not be 0.
inline int MulDivRounded(int a, int b, int c) {
  std::int64_t num = static_cast<std::int64_t>(a) * b;
  bool negative = (num < 0) != (c < 0);
  std::int64_t n = num < 0 ? -num : num;
  std::int64_t d = c < 0 ? -static_cast<std::int64_t>(c) : c;
  std::int64_t q = (2 * n + d) / (2 * d);
  return static_cast<int>(negative ? -q : q);
}

enum class TFlashUpdateType { ftAll, ftPicture, ftMessage, ftProgress, ftCheckCancel };

// The display of one flash. The flash calls it on its own thread, while the flash is live.
class IFlashExtender {
 public:
  virtual ~IFlashExtender() = default;
  virtual void SetPicture(TPicture* picture) = 0;
  virtual void SetMessage(const std::wstring& message, int level) = 0;
  virtual void SetProgress(int progress, int total, int level) = 0;
  // Raises EAbort when the user asked to stop.
  virtual void CheckCancel() = 0;
  virtual bool SupportsCancel() = 0;
};

// A display that ignores which flash changed and redraws the aggregate of all flashes of
// the thread (GetGlobalFlashState) in DoUpdate.
//
// Create instances with Make: when the last reference goes, the extender gets one more
// DoUpdate(ftAll) so the display shows the flashes that remain (or closes). That call
// happens before destruction, since a C++ destructor can no longer reach the derived
// DoUpdate.
class TCustomFlashExtender : public IFlashExtender {
 public:
  void SetPicture(TPicture*) final { DoUpdate(TFlashUpdateType::ftPicture); }
  void SetMessage(const std::wstring&, int) final { DoUpdate(TFlashUpdateType::ftMessage); }
  void SetProgress(int, int, int) final { DoUpdate(TFlashUpdateType::ftProgress); }
  void CheckCancel() final { DoUpdate(TFlashUpdateType::ftCheckCancel); }
  bool SupportsCancel() override { return true; }

  template <class T, class... Args>
  static std::shared_ptr<T> Make(Args&&... args) {
    return std::shared_ptr<T>(new T(std::forward<Args>(args)...), &ReleaseLast);
  }

 protected:
  TCustomFlashExtender() = default;
  virtual void DoUpdate(TFlashUpdateType updateType) = 0;
  // Runs when the last reference goes, before the final DoUpdate(ftAll): the place to let go
  // of a shared display that the final update must no longer touch.
  virtual void BeforeDestruction() {}

 private:
  static void ReleaseLast(TCustomFlashExtender* extender) noexcept;
};

// The factory that gives each new flash of a thread its display. `object` is passed back
// unchanged (the object of a bound operation, or nullptr).
using TFlashExtenderFactory = std::shared_ptr<IFlashExtender> (*)(void* object, bool cancellable);

// Installs the calling thread's factory; nullptr removes it. Flashes already created keep
// the display they got.
void SetFlashExtenderFactory(TFlashExtenderFactory factory, void* object = nullptr);

struct TGlobalFlashState;

class TFlash final : public IFlashCore {
 public:
  explicit TFlash(bool cancellable);
  ~TFlash() override;
  TFlash(const TFlash&) = delete;
  TFlash& operator=(const TFlash&) = delete;

  // Raises EHvInternalError on a flash created without the right to cancel.
  void CheckCancel() override;

  const std::wstring& Message() const;
  void SetMessage(const std::wstring& value);

  int Progress() const { return FProgress; }
  // Raises EAssertionFailed for a negative value; raises the total when progress passes it
  // (to 100 when no total was known).
  void SetProgress(int value) {
    CheckThread();
    // Most calls stay within the current whole percentage: then nothing is shown, and only a
    // cancellable flash polls.
    if (value >= FPctLow && value <= FPctHigh) {
      FProgress = value;
      if (FCancellable) CheckCancel();
      return;
    }
    SetProgressOutsidePercentage(value);
  }
  void StepIt() { SetProgress(FProgress + 1); }

  int ProgressTotal() const { return FProgressTotal; }
  // 0 means no progress is known. Raises EAssertionFailed for a negative value; lowers the
  // progress when it lies above the new total.
  void SetProgressTotal(int value);

  // The flash's own picture; changing it in place notifies the display.
  TPicture* Picture() const { return FPicture.get(); }
  // Copies `value` into the flash's picture; nullptr empties it.
  void SetPicture(const TPicture* value) { FPicture->Assign(value); }

  // Number of live flashes on the thread right after this one was added (1 = outermost).
  int Level() const { return FLevel; }
  bool Cancellable() const { return FCancellable; }
  // Estimated seconds to go; 0 when there is no estimate.
  int SecsRemaining() const { return FSecsRemaining; }

 private:
  friend TGlobalFlashState GetGlobalFlashState();

  void SetProgressOutsidePercentage(int value);
  void CheckPercentage();
  void BroadcastProgress();
  void UpdateEstimate();
  void PictureChanged();
  void ShowOnConsole(const std::wstring& text) const;

  int FLevel = 0;
  std::wstring FMessage;
  int FProgress_Pct = 0;
  int FProgress = 0;
  int FProgressTotal = 0;
  double FProgressStartTime = 0;  // date-time; 0 = timing not started
  int FSecsRemaining = 0;
  std::unique_ptr<TPicture> FPicture;
  const bool FCancellable;
  std::shared_ptr<IFlashExtender> FExtender;
  std::uint32_t FLastProgressBroadcast = 0;
  // The progress values that give FProgress_Pct with the current total.
  int FPctLow = 0;
  int FPctHigh = 0;
};

// What callers hold: the flash ends when the last handle goes, also while an exception
// unwinds the work that held it.
using IFlash = std::shared_ptr<TFlash>;

// Opens a flash: sets `message`, sets `progressTotal` when it is not 0, and on a
// cancellable flash polls once, so a press already waiting is seen at once.
IFlash CreateFlash(const std::wstring& message, int progressTotal = 0, bool cancellable = false);

// The aggregate that displays show: the outermost and the innermost flash that say something.
struct TGlobalFlashState {
  TPicture* Picture = nullptr;  // borrowed from the last flash with a non-empty picture
  std::wstring Msg1;            // first flash with a message other than "Please Wait..."
  std::wstring Msg2;            // last later flash with such a message
  int Prog1 = 0;                // first flash with a total
  int Prog1_Total = 0;
  int Prog2 = 0;                // last later flash with a total
  int Prog2_Total = 0;
  int Secs_Remaining = 0;       // of the flash that gave Prog1
  bool ShowCancel = false;      // any live flash is cancellable
};

// The aggregate of the calling thread's live flashes (zeroed when there are none).
TGlobalFlashState GetGlobalFlashState();

}  // namespace hv
