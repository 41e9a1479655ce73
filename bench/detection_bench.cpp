// Detection of both products on a busy registry (N Add/Remove Programs entries, half named by a
// GUID, and N Installer registrations; N = 5,000 at full size), against a minimal baseline
// measured in the same run that opens each relevant key once and reads its one value. Prints
// times and ratios; fails when a product goes undetected or the baseline misses entries.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "HvRemovalEngine.h"
#include "BenchSupport.h"
#include "RegistryCallCounter.h"
#include "HvTracePlanter.h"
#include "HvWindows.h"

namespace {

// Lists a key and reads one value of each wanted sub-key: one open, query and close per key.
int ListAndRead(HKEY root, const wchar_t* key, const wchar_t* value, bool onlyGuidNames) {
  HKEY parent;
  const REGSAM view = hv::ProgramRegistryViewFor(root, key);
  if (RegOpenKeyExW(root, key, 0, KEY_READ | view, &parent) != ERROR_SUCCESS) return 0;
  int hits = 0;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD len = 256;
    if (RegEnumKeyExW(parent, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (onlyGuidNames && name[0] != L'{') continue;
    HKEY child;
    if (RegOpenKeyExW(parent, name, 0, KEY_READ | view, &child) != ERROR_SUCCESS) continue;
    wchar_t data[1024];
    DWORD size = sizeof data, type;
    if (RegQueryValueExW(child, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS) ++hits;
    RegCloseKey(child);
  }
  RegCloseKey(parent);
  return hits;
}

template <class F>
double Best(int runs, F f) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    double t0 = 1000.0 * bench::Now();
    f();
    best = std::min(best, 1000.0 * bench::Now() - t0);
  }
  return best;
}

// The registry calls to the system (Wine server round trips) of one run of `f`.
template <class F>
long long Calls(F f) {
  const long long before = bench::RegistryCallCounter::Count();
  f();
  return bench::RegistryCallCounter::Count() - before;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int n = bench::Start(argc, argv, 5000);
  hvplant::PlantBusyMachine(n, n);

  const int runs = 3;
  const bool counting = bench::RegistryCallCounter::Install();
  int uninstallHits = 0, installerHits = 0;
  auto minimalWalk = [&] {
    uninstallHits = ListAndRead(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                                L"UninstallString", true);
    installerHits = ListAndRead(HKEY_CLASSES_ROOT, L"Installer\\Products", L"ProductName", false);
  };
  bool okPass = true, okEach = true;
  auto onePass = [&] {
    hv::TRemovalEngine engine;
    hv::TRemovalEngine::DetectionPass pass(engine);
    okPass &= engine.ProcessCorvista(false) && engine.ProcessSendaro(false);
  };
  auto eachOnItsOwn = [&] {
    hv::TRemovalEngine engine;
    okEach &= engine.ProcessCorvista(false) && engine.ProcessSendaro(false);
  };
  const double baseline = Best(runs, minimalWalk);
  const double withPass = Best(runs, onePass);
  const double perProduct = Best(runs, eachOnItsOwn);
  const long long baselineCalls = Calls(minimalWalk), passCalls = Calls(onePass), eachCalls = Calls(eachOnItsOwn);

  std::printf("detection of both products, %d uninstall entries + %d installer registrations (best of %d)\n", n, n,
              runs);
  // Round trips per relevant key (each GUID-named uninstall entry and each registration).
  const double keys = std::max(1, uninstallHits + installerHits);
  auto trips = [&](long long calls) { return counting ? calls / keys : 0.0; };
  std::printf("  baseline (one open+query+close per relevant key): %8.1f ms             %6.2f round trips per key\n",
              baseline, trips(baselineCalls));
  std::printf("  engine, one detection pass for both products:     %8.1f ms  ratio %.2f  %6.2f round trips per key (target <= 1.1)\n",
              withPass, withPass / baseline, trips(passCalls));
  std::printf("  engine, each product listing on its own:          %8.1f ms  ratio %.2f  %6.2f round trips per key\n",
              perProduct, perProduct / baseline, trips(eachCalls));
  if (!counting) std::printf("  (registry calls not counted: the system library's import table was not found)\n");
  std::printf("  both products detected: %s\n", okPass && okEach ? "yes" : "NO");

  // Every second bulk entry is named by a GUID, and each product adds one such entry and one
  // registration; the prefix may hold entries of its own, never fewer.
  const int guidEntries = (n + 1) / 2 + 2, registrations = n + 2;
  bench::Check(okPass, "a product was not detected in one detection pass");
  bench::Check(okEach, "a product was not detected by its own listing");
  bench::Check(uninstallHits >= guidEntries, "the baseline read %d uninstall commands, expected at least %d",
               uninstallHits, guidEntries);
  bench::Check(installerHits >= registrations, "the baseline read %d installer registrations, expected at least %d",
               installerHits, registrations);

  hvplant::RunScenario(L"clean");
  hv::TRemovalEngine engine;
  bench::Check(!engine.ProcessCorvista(false) && !engine.ProcessSendaro(false),
               "a product is still detected after the planted traces were removed");
  return bench::ExitCode();
}
