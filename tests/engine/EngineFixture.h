// Every engine test starts and ends with no product trace on the machine, and checks that
// what it did not plant is exactly as it was.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HvMachineSnapshot.h"
#include "HvRemovalEngine.h"
#include "HvTracePlanter.h"

namespace hvtest {

using hvplant::MachineSnapshot;
using hvplant::SnapshotDifference;
using hvplant::TakeSnapshot;

class RecordingObserver : public hv::ITraceObserver {
 public:
  std::vector<hv::TTrace> found;
  std::vector<std::pair<hv::TTrace, std::wstring>> skipped;
  std::vector<std::wstring> scheduled;
  void TraceFound(const hv::TTrace& t) override { found.push_back(t); }
  void TraceSkipped(const hv::TTrace& t, const std::wstring& why) override { skipped.push_back({t, why}); }
  void EntryScheduledForRestart(const std::wstring& path) override { scheduled.push_back(path); }
  size_t Count(hv::TTraceKind kind) const;
};

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Asserts that nothing but the planted traces changed since SetUp.
  void ExpectOnlyPlantedTracesChanged();

  std::wstring pf = hvplant::ProgramFilesDir();
  MachineSnapshot before;
};

inline const std::wstring kUninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline const std::wstring kProducts = L"Installer\\Products";
inline const std::wstring kIdent = L"SOFTWARE\\MimarSinan\\InstallAware\\Ident.Cache\\";

}  // namespace hvtest
