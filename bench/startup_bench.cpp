// From process start to the filled product list, with both products planted on a registry
// holding N Add/Remove Programs entries and N Windows Installer registrations (N = 5,000 at full
// size), against a bare Win32 program that opens one window under the same Wine. Prints times
// and the ratio; fails when a program never showed its window or the list never filled.
#include <cstdio>
#include <string>

#include "BenchSupport.h"
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

// Starts `exe`, waits until `ready` says its window is there, closes it; milliseconds to ready.
template <class Ready>
double TimeToReady(const std::wstring& exe, const wchar_t* caption, Ready ready) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring cmd = L"\"" + exe + L"\"";
  double t0 = 1000.0 * bench::Now();
  if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  HWND window = nullptr;
  double t = -1;
  // A program that ended, or still is not ready after a minute, never will be.
  while (1000.0 * bench::Now() - t0 < 60000 && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
    window = FindWindowW(nullptr, caption);
    if (window && ready(window)) {
      t = 1000.0 * bench::Now() - t0;
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
  return t;
}

BOOL CALLBACK FindList(HWND h, LPARAM p) {
  wchar_t cls[32];
  GetClassNameW(h, cls, 32);
  if (lstrcmpW(cls, L"ListBox") == 0) {
    *reinterpret_cast<HWND*>(p) = h;
    return FALSE;
  }
  return TRUE;
}

bool ListFilled(HWND window) {
  HWND list = nullptr;
  EnumChildWindows(window, FindList, reinterpret_cast<LPARAM>(&list));
  return list && SendMessageW(list, LB_GETCOUNT, 0, 0) == 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int n = bench::Start(argc, argv, 5000);
  hvplant::PlantBusyMachine(n, n);

  const std::wstring app = Beside(L"app\\HalvernUninstaller.exe"), bare = Beside(L"tools\\bare_window.exe");
  const int runs = 3;
  double bestApp = -1, bestBare = -1;
  int appMisses = 0, bareMisses = 0;
  for (int i = 0; i < runs; ++i) {
    double b = TimeToReady(bare, L"Bare Window", [](HWND) { return true; });
    double a = TimeToReady(app, L"Halvern Uninstaller", ListFilled);
    if (b < 0) ++bareMisses;
    else if (bestBare < 0 || b < bestBare) bestBare = b;
    if (a < 0) ++appMisses;
    else if (bestApp < 0 || a < bestApp) bestApp = a;
  }
  std::printf("start-up to the filled product list, %d uninstall entries + %d installer registrations (best of %d)\n", n,
              n, runs);
  // A run that never got ready has no time: no figure, and no ratio, is made up for it.
  if (bestBare >= 0)
    std::printf("  bare Win32 program, one window:     %8.1f ms\n", bestBare);
  else
    std::printf("  bare Win32 program, one window:          n/a\n");
  if (bestApp >= 0 && bestBare > 0)
    std::printf("  Halvern Uninstaller, list filled:   %8.1f ms  ratio %.2f (target <= 2)\n", bestApp, bestApp / bestBare);
  else if (bestApp >= 0)
    std::printf("  Halvern Uninstaller, list filled:   %8.1f ms  ratio n/a (target <= 2)\n", bestApp);
  else
    std::printf("  Halvern Uninstaller, list filled:        n/a\n");
  bench::Check(bareMisses == 0, "the bare program showed no window in %d of %d runs", bareMisses, runs);
  bench::Check(appMisses == 0, "the product list never filled with the two products in %d of %d runs", appMisses, runs);

  hvplant::RunScenario(L"clean");
  return bench::ExitCode();
}
