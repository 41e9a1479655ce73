// How much a progress call costs when it changes no whole percentage: the call made once
// per file by long operations, N calls (100,000,000 at full size). Prints calls per second;
// fails when a flash does not end at the progress it was given.
#include <cstdio>
#include <climits>
#include <memory>

#include "BenchSupport.h"
#include "HvLXFlash.h"
#include "HvLXWait.h"
#include "HvWindows.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

// A display that never cancels: the cheapest poll a cancellable flash can make.
class IdleExtender final : public hv::IFlashExtender {
 public:
  void SetPicture(hv::TPicture*) override {}
  void SetMessage(const std::wstring&, int) override {}
  void SetProgress(int, int, int) override {}
  void CheckCancel() override {}
  bool SupportsCancel() override { return true; }
};

template <class F>
double CallsPerSecond(int calls, F call) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  for (int i = 1; i <= calls; ++i) call(i);
  QueryPerformanceCounter(&end);
  return calls / Seconds(start, end);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int Calls = bench::Start(argc, argv, 100'000'000);
  // A total so large that the whole run stays within a handful of percentages.
  constexpr int Total = INT_MAX;
  // The wait line of a console program is not part of what is measured.
  hv::SetBeginWaitHook([] {});
  hv::SetEndWaitHook([] {});

  volatile int sink = 0;
  double baseline = CallsPerSecond(Calls, [&](int i) { sink = i; });

  double plain;
  {
    hv::IFlash flash = hv::CreateFlash(L"Measuring", Total, false);
    plain = CallsPerSecond(Calls, [&](int i) { flash->SetProgress(i); });
    bench::Check(flash->Progress() == Calls, "SetProgress ended at %d, expected %d", flash->Progress(), Calls);
  }
  double stepping;
  {
    hv::IFlash flash = hv::CreateFlash(L"Measuring", Total, false);
    stepping = CallsPerSecond(Calls, [&](int) { flash->StepIt(); });
    bench::Check(flash->Progress() == Calls, "StepIt ended at %d, expected %d", flash->Progress(), Calls);
  }

  hv::SetFlashExtenderFactory([](void*, bool) -> std::shared_ptr<hv::IFlashExtender> {
    return std::make_shared<IdleExtender>();
  });
  double cancellable;
  {
    hv::IFlash flash = hv::CreateFlash(L"Measuring", Total, true);
    cancellable = CallsPerSecond(Calls, [&](int i) { flash->SetProgress(i); });
    bench::Check(flash->Progress() == Calls, "SetProgress on a cancellable flash ended at %d, expected %d",
                 flash->Progress(), Calls);
  }
  hv::SetFlashExtenderFactory(nullptr);

  std::printf("progress calls within one percentage, %d calls each\n", Calls);
  std::printf("  store into a volatile int (baseline)      %8.1f M/s\n", baseline / 1e6);
  std::printf("  SetProgress, not cancellable, no display  %8.1f M/s  (%.2f x baseline time)\n", plain / 1e6,
              baseline / plain);
  std::printf("  StepIt, not cancellable, no display       %8.1f M/s\n", stepping / 1e6);
  std::printf("  SetProgress, cancellable, idle display    %8.1f M/s\n", cancellable / 1e6);
  bench::Check(sink == Calls, "the baseline loop stored %d, expected %d", static_cast<int>(sink), Calls);
  return bench::ExitCode();
}
