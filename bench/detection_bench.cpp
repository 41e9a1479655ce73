// Detection of both products on a busy registry (5,000 Add/Remove Programs entries, half named
// by a GUID, and 5,000 Installer registrations), against a minimal baseline measured in the same
// run that opens each relevant key once and reads its one value. Prints times and ratios.
#include <cstdio>
#include <string>
#include <vector>

#include "HvRemovalEngine.h"
#include "BenchSupport.h"
#include "HvTracePlanter.h"
#include "HvWindows.h"

namespace {

// Lists a key and reads one value of each wanted sub-key: one open, query and close per key.
int ListAndRead(HKEY root, const wchar_t* key, const wchar_t* value, bool onlyGuidNames) {
  HKEY parent;
  if (RegOpenKeyExW(root, key, 0, KEY_READ, &parent) != ERROR_SUCCESS) return 0;
  int hits = 0;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD len = 256;
    if (RegEnumKeyExW(parent, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (onlyGuidNames && name[0] != L'{') continue;
    HKEY child;
    if (RegOpenKeyExW(parent, name, 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
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

}  // namespace

int wmain() {
  hvplant::PlantBusyMachine(5000, 5000);

  const int runs = 3;
  double baseline = Best(runs, [] {
    ListAndRead(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", L"UninstallString", true);
    ListAndRead(HKEY_CLASSES_ROOT, L"Installer\\Products", L"ProductName", false);
  });
  bool ok = true;
  double withPass = Best(runs, [&] {
    hv::TRemovalEngine engine;
    hv::TRemovalEngine::DetectionPass pass(engine);
    ok &= engine.ProcessCorvista(false) && engine.ProcessSendaro(false);
  });
  double perProduct = Best(runs, [&] {
    hv::TRemovalEngine engine;
    ok &= engine.ProcessCorvista(false) && engine.ProcessSendaro(false);
  });

  std::printf("detection of both products, 5000 uninstall entries + 5000 installer registrations (best of %d)\n", runs);
  std::printf("  baseline (one open+query+close per relevant key): %8.1f ms\n", baseline);
  std::printf("  engine, one detection pass for both products:     %8.1f ms  ratio %.2f (target <= 1.5)\n", withPass, withPass / baseline);
  std::printf("  engine, each product listing on its own:          %8.1f ms  ratio %.2f\n", perProduct, perProduct / baseline);
  std::printf("  both products detected: %s\n", ok ? "yes" : "NO");

  hvplant::RunScenario(L"clean");
  return 0;
}
