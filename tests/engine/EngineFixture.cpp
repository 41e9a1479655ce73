#include "EngineFixture.h"

#include <algorithm>

#include "HvHandles.h"
#include "HvLXRegistryBase.h"
#include "HvWindows.h"

namespace hvtest {

size_t RecordingObserver::Count(hv::TTraceKind kind) const {
  return std::count_if(found.begin(), found.end(), [&](const hv::TTrace& t) { return t.Kind == kind; });
}

void EngineTest::SetUp() {
  hvplant::RemoveAllProductTraces();
  // The keys that hold the traces exist on every real machine; a fresh prefix gets them from
  // the first planting, which the clean-up rightly leaves.
  for (const auto& [root, key] : {std::pair{HKEY_LOCAL_MACHINE, kUninstall}, std::pair{HKEY_CLASSES_ROOT, kProducts}}) {
    hv::UniqueHKey created;
    RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, hv::WithProgramRegistryView(KEY_READ, root, key), nullptr, created.put(),
                    nullptr);
  }
  before = TakeSnapshot();
}

void EngineTest::TearDown() { hvplant::RemoveAllProductTraces(); }

void EngineTest::ExpectOnlyPlantedTracesChanged() {
  hvplant::RemoveAllProductTraces();
  const MachineSnapshot after = TakeSnapshot();
  EXPECT_TRUE(after == before) << "something besides the planted traces changed:\n"
                               << testing::PrintToString(SnapshotDifference(before, after));
}

}  // namespace hvtest
