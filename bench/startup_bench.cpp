// From process start to the painted window and on to the filled product list, with both
// products planted on a registry holding N Add/Remove Programs entries and N Windows Installer
// registrations (N = 5,000 at full size), against a bare Win32 program that opens one window
// under the same Wine. The detection is timed apart, so that what the program does besides
// looking around can be set against the bare window: in a fresh process of this program, as
// the window runs it once at start, and again in this process, whose caches are warm by then.
// Prints times and ratios; fails when a program never showed its window, never painted it, or
// the list never filled.
//
// `startup_bench.exe /cold-detection <file>` is the fresh process: it writes its detection's
// time into the file.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "HvChildWindows.h"
#include "HvLXHostStartup.h"
#include "HvProductCatalogue.h"
#include "HvRemovalEngine.h"
#include "HvTracePlanter.h"
#include "HvWindows.h"

namespace {

std::wstring Beside(const wchar_t* relative) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring dir = self;
  dir.resize(dir.find_last_of(L'\\'));         // .../bench
  dir.resize(dir.find_last_of(L'\\') + 1);     // the build folder
  return dir + relative;
}

HWND FindList(HWND window) {
  for (HWND h : hv::ChildWindowsOf(window)) {
    wchar_t cls[32];
    GetClassNameW(h, cls, 32);
    if (lstrcmpW(cls, L"ListBox") == 0) return h;
  }
  return nullptr;
}

// Painted: the window and every control of it visible with nothing left to paint. Read
// without sending a message, so a program that is busy is seen as it is, not waited for.
bool Painted(HWND window, bool needsList) {
  if (!IsWindowVisible(window) || GetUpdateRect(window, nullptr, FALSE)) return false;
  if (needsList && !FindList(window)) return false;
  for (HWND h : hv::ChildWindowsOf(window))
    if (IsWindowVisible(h) && GetUpdateRect(h, nullptr, FALSE)) return false;
  return true;
}

// Filled: both products listed, and the list open to the user. The question is answered only
// when the program takes messages again: a busy program is waited for, not polled, which would
// load the Wine server it is busy with.
bool ListFilled(HWND window) {
  HWND list = FindList(window);
  DWORD_PTR count = 0;
  return list && SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 60000, &count) && count == 2 &&
         IsWindowEnabled(list);
}

struct TStartTimes {
  double painted = -1, ready = -1;  // milliseconds from the start; -1: never
};

// Starts `exe` and waits until its window has painted and then until `ready` says it is
// ready; closes it. Readiness is asked only once the window has painted: asking can wait for
// a busy program, and the paint must be seen as soon as it happens.
template <class Ready>
TStartTimes TimeStart(const std::wstring& exe, const wchar_t* caption, bool needsList, Ready ready) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring cmd = L"\"" + exe + L"\"";
  TStartTimes times;
  double t0 = 1000.0 * bench::Now();
  if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return times;
  HWND window = nullptr;
  // A program that ended, or still is not ready after a minute, never will be.
  while (1000.0 * bench::Now() - t0 < 60000 && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
    if (!window) window = FindWindowW(nullptr, caption);
    if (window && times.painted < 0 && Painted(window, needsList)) times.painted = 1000.0 * bench::Now() - t0;
    if (times.painted >= 0 && ready(window)) {
      times.ready = 1000.0 * bench::Now() - t0;
      break;
    }
    Sleep(1);
  }
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  // One that does not close would be found again by the next run.
  if (WaitForSingleObject(pi.hProcess, 10000) == WAIT_TIMEOUT) {
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, INFINITE);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return times;
}

// The window's detection, as it runs it; true when both products were found.
bool DetectBoth(double& ms) {
  const double t0 = 1000.0 * bench::Now();
  int found = 0;
  {
    hv::TRemovalEngine engine({true, nullptr});
    hv::TRemovalEngine::DetectionPass pass(engine);
    for (const hv::TProductDescription& product : hv::ProductCatalogue()) found += engine.ProcessProduct(false, product);
  }
  ms = 1000.0 * bench::Now() - t0;
  return found == 2;
}

constexpr wchar_t kColdDetection[] = L"/cold-detection";

// The fresh process: first what the program does before its window that a detection may lean
// on, then the detection, timed alone. Writes the milliseconds to `out`; exit code 0 when both
// products were found.
int RunColdDetection(const wchar_t* out) {
  hv::InstallHostScriptRunner();
  if (hv::RunHostStartupCheck()) return 2;
  double ms = -1;
  const bool both = DetectBoth(ms);
  FILE* f = _wfopen(out, L"w");
  if (!f) return 3;
  std::fprintf(f, "%.3f\n", ms);
  std::fclose(f);
  return both ? 0 : 1;
}

// Starts this program as the fresh process and reads its time; false when it failed.
bool DetectColdInChild(double& ms) {
  wchar_t dir[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, dir);
  const std::wstring out = std::wstring(dir) + L"hv_cold_detection_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  const std::optional<DWORD> code = bench::RunSelf(std::wstring(kColdDetection) + L" \"" + out + L"\"");
  bool read = false;
  if (FILE* f = _wfopen(out.c_str(), L"r")) {
    read = std::fscanf(f, "%lf", &ms) == 1;
    std::fclose(f);
  }
  DeleteFileW(out.c_str());
  return code == 0u && read;
}

void Best(double value, double& best) {
  if (value >= 0 && (best < 0 || value < best)) best = value;
}

// A figure, with its ratio to the bare window's when `bare` is given (nothing: no ratio).
void PrintLine(const char* what, double ms, std::optional<double> bare = std::nullopt, const char* target = "") {
  if (ms < 0)
    std::printf("  %-44s      n/a\n", what);
  else if (!bare)
    std::printf("  %-44s %8.1f ms\n", what, ms);
  else if (*bare > 0)
    std::printf("  %-44s %8.1f ms  ratio %.2f%s\n", what, ms, ms / *bare, target);
  else
    std::printf("  %-44s %8.1f ms  ratio n/a%s\n", what, ms, target);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && lstrcmpW(argv[1], kColdDetection) == 0) return RunColdDetection(argv[2]);
  const int n = bench::Start(argc, argv, 5000);
  hvplant::PlantBusyMachine(n, n);

  const std::wstring app = Beside(L"app\\HalvernUninstaller.exe"), bare = Beside(L"tools\\bare_window.exe");
  const int runs = 5;
  double bestBare = -1, bestPaint = -1, bestFilled = -1, bestCold = -1, bestWarm = -1;
  int bareMisses = 0, paintMisses = 0, fillMisses = 0, coldMisses = 0, warmMisses = 0;
  for (int i = 0; i < runs; ++i) {
    const TStartTimes b = TimeStart(bare, L"Bare Window", false, [](HWND) { return true; });
    const TStartTimes a = TimeStart(app, L"Halvern Uninstaller", true, ListFilled);
    double cold = -1, warm = -1;
    if (!DetectColdInChild(cold)) ++coldMisses;
    if (!DetectBoth(warm)) ++warmMisses;
    if (b.ready < 0) ++bareMisses;
    if (a.painted < 0) ++paintMisses;
    if (a.ready < 0) ++fillMisses;
    Best(b.ready, bestBare);
    Best(a.painted, bestPaint);
    Best(a.ready, bestFilled);
    Best(cold, bestCold);
    Best(warm, bestWarm);
  }
  std::printf("start-up, %d uninstall entries + %d installer registrations (best of %d)\n", n, n, runs);
  // A run that never got ready has no time: no figure, and no ratio, is made up for it.
  PrintLine("bare Win32 program, one window painted:", bestBare);
  PrintLine("Halvern Uninstaller, window painted:", bestPaint, bestBare);
  PrintLine("Halvern Uninstaller, list filled:", bestFilled, bestBare);
  PrintLine("detection of both products, fresh process:", bestCold);
  PrintLine("detection of both products, warm, here:", bestWarm);
  // The fresh process's detection is the one the window runs. The warm one can be shorter
  // (measured: about equal), so the difference with it can overstate what the program does
  // besides detecting.
  const auto minus = [&](double detection) {
    return bestFilled >= 0 && detection >= 0 ? bestFilled - detection : -1;
  };
  PrintLine("list filled minus detection:", minus(bestCold), bestBare, " (target <= 1.5)");
  PrintLine("list filled minus warm detection:", minus(bestWarm), bestBare);
  bench::Check(bareMisses == 0, "the bare program showed no window in %d of %d runs", bareMisses, runs);
  bench::Check(paintMisses == 0, "the window never painted in %d of %d runs", paintMisses, runs);
  bench::Check(fillMisses == 0, "the product list never filled with the two products in %d of %d runs", fillMisses,
               runs);
  bench::Check(coldMisses == 0, "the fresh process's detection failed or missed a product in %d of %d runs",
               coldMisses, runs);
  bench::Check(warmMisses == 0, "the detection here missed a product in %d of %d runs", warmMisses, runs);

  hvplant::RunScenario(L"clean");
  return bench::ExitCode();
}
