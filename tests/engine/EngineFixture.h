// Every engine test starts and ends with no product trace on the machine, and checks that
// what it did not plant is exactly as it was.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "HvRemovalEngine.h"
#include "HvTracePlanter.h"

namespace hvtest {

// Every key and value (with its type and data) of HKLM\SOFTWARE in both registry views, of
// HKCR\Installer and of HKCU\Software, and every file and folder of drive C: with its size;
// one line each, sorted. The scratch places that other suites use at the same time are left
// out: their scratch keys, the temporary folders and Wine's own settings.
struct MachineSnapshot {
  std::set<std::wstring> lines;
  bool operator==(const MachineSnapshot&) const = default;
};
MachineSnapshot TakeSnapshot();
// The lines only in `a` ("- ") and only in `b` ("+ "), at most `limit` of them.
std::wstring SnapshotDifference(const MachineSnapshot& a, const MachineSnapshot& b, size_t limit = 40);

class RecordingObserver : public hv::ITraceObserver {
 public:
  std::vector<hv::TTrace> found;
  std::vector<std::pair<hv::TTrace, std::wstring>> skipped;
  void TraceFound(const hv::TTrace& t) override { found.push_back(t); }
  void TraceSkipped(const hv::TTrace& t, const std::wstring& why) override { skipped.push_back({t, why}); }
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
