// The registry backup's cost in an unattended removal: both products removed, with their log,
// from a busy registry (N Add/Remove Programs entries and N Installer registrations; N = 5,000 at
// full size), with the backup written before each deletion against the same removal without
// it, measured in the same run, alternating, best of each. Fails when a removal leaves a trace
// or the backup misses a deleted key.
#include <algorithm>
#include <cstdio>
#include <string>

#include "BenchSupport.h"
#include "HvLXSpecialFolders.h"
#include "HvRegistryBackup.h"
#include "HvRemovalEngine.h"
#include "HvRemovalLog.h"
#include "HvTracePlanter.h"

namespace {

// One unattended removal of both products; answers its time in milliseconds.
double RemoveBoth(hv::TRemovalLog& log, hv::TRegistryBackup* backup) {
  hvplant::PlantProduct(L"Corvista");
  hvplant::PlantProduct(L"Sendaro");
  const double start = bench::Now();
  hv::TRemovalEngine engine({true, &log, backup, false});
  const bool found = engine.ProcessCorvista(true) && engine.ProcessSendaro(true);
  const double elapsed = 1000.0 * (bench::Now() - start);
  bench::Check(found, "a product was not found");
  hv::TRemovalEngine check;
  bench::Check(!check.ProcessCorvista(false) && !check.ProcessSendaro(false), "a trace survived the removal");
  return elapsed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int n = bench::Start(argc, argv, 5000);
  hvplant::PlantBusyMachine(n, n);
  const std::wstring scratch = hv::GetHalvernTempFolder() + L"removal_backup_bench";
  const int runs = 5;
  double without = 1e30, with = 1e30;
  {
    hv::TRemovalLog log(scratch + L".log");
    for (int i = 0; i < runs; ++i) {
      without = std::min(without, RemoveBoth(log, nullptr));
      hv::TRegistryBackup backup(scratch);
      with = std::min(with, RemoveBoth(log, &backup));
      bench::Check(!backup.Path().empty(), "no backup file was written");
      DeleteFileW(backup.Path().c_str());
    }
  }
  hvplant::RemoveAllProductTraces();
  hvplant::RemoveBulk();
  DeleteFileW((scratch + L".log").c_str());
  RemoveDirectoryW(scratch.c_str());

  std::printf("unattended removal of both products, %d uninstall entries + %d installer registrations (best of %d)\n", n, n, runs);
  std::printf("  without the registry backup: %8.1f ms\n", without);
  std::printf("  with the registry backup:    %8.1f ms  ratio %.2f (target <= 1.3)\n", with, with / without);
  return bench::ExitCode();
}
