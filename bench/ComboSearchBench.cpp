// One keystroke of THvComboBox's typing search in a combo box of N items (N = 100,000 at full
// size) against the system's own prefix search, CB_FINDSTRING, for the same prefix: in a list
// style and in the drop-down style, with the only match the last item, so both walk the whole
// list. Fails when a keystroke selects the wrong item.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "HvForms.h"
#include "HvLXClock.h"
#include "HvStdCtrls.h"

namespace {

// Each keystroke comes after a pause, so each starts a new search.
class PausingClock : public hv::IClock {
 public:
  std::uint32_t TickCount() override { return FTick += 5000; }
  double Now() override { return 45000.0; }

 private:
  std::uint32_t FTick = 1'000'000;
};

// The best of a few rounds, in milliseconds per call.
template <class F>
double BestMs(int calls, F call) {
  double best = 1e300;
  for (int round = 0; round < 5; ++round) {
    double t0 = bench::Now();
    for (int i = 0; i < calls; ++i) call();
    best = std::min(best, (bench::Now() - t0) * 1000.0 / calls);
  }
  return best;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int n = bench::Start(argc, argv, 100'000);
  PausingClock clock;
  hv::ScopedClock useClock(clock);
  std::unique_ptr<hv::TForm> form(hv::TForm::Create<hv::TForm>(nullptr));
  auto* combo = form->Add<hv::THvComboBox>(L"Combo", {8, 8, 200, 21});
  combo->Items().BeginUpdate();
  for (int i = 0; i < n - 1; ++i) combo->Items().Add(L"Item " + std::to_wstring(i));
  combo->Items().Add(L"Zebra");
  combo->Items().EndUpdate();
  const int calls = std::max(20, 200'000 / n);
  std::printf("%d items, the match is the last; best of 5 rounds of %d keystrokes\n", n, calls);

  for (hv::TComboBoxStyle style : {hv::TComboBoxStyle::csDropDownList, hv::TComboBoxStyle::csDropDown}) {
    combo->SetStyle(style);
    form->HandleNeeded();
    const bool list = style == hv::TComboBoxStyle::csDropDownList;
    HWND target = list ? combo->Handle() : combo->EditHandle();
    const double system = BestMs(calls, [&] {
      LRESULT r = SendMessageW(combo->Handle(), CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"z"));
      bench::Check(r == n - 1, "CB_FINDSTRING found %d, not %d", static_cast<int>(r), n - 1);
    });
    const double typed = BestMs(calls, [&] {
      combo->SetItemIndex(0);
      if (!list) combo->SetText(L"");
      SendMessageW(target, WM_CHAR, L'z', 1);
      bench::Check(combo->ItemIndex() == n - 1, "the keystroke selected %d, not %d", combo->ItemIndex(), n - 1);
    });
    std::printf("%-14s CB_FINDSTRING %8.3f ms   keystroke %8.3f ms   ratio %.2f\n", list ? "drop-down list" : "drop-down",
                system, typed, typed / system);
  }
  return bench::ExitCode();
}
