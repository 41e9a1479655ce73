#include "EngineFixture.h"

#include <algorithm>

#include "HvWindows.h"

namespace hvtest {
namespace {
std::vector<std::wstring> FolderNames(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do names.push_back(fd.cFileName);
  while (FindNextFileW(h, &fd));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}
std::vector<std::wstring> Sorted(std::vector<std::wstring> v) {
  std::sort(v.begin(), v.end());
  return v;
}
}  // namespace

MachineSnapshot TakeSnapshot() {
  return {Sorted(hvplant::SubKeyNames(HKEY_LOCAL_MACHINE, kUninstall)),
          Sorted(hvplant::SubKeyNames(HKEY_CLASSES_ROOT, kProducts)), FolderNames(hvplant::ProgramFilesDir()),
          FolderNames(L"C:\\ProgramData")};
}

size_t RecordingObserver::Count(hv::TTraceKind kind) const {
  return std::count_if(found.begin(), found.end(), [&](const hv::TTrace& t) { return t.Kind == kind; });
}

void EngineTest::SetUp() {
  hvplant::RemoveAllProductTraces();
  before = TakeSnapshot();
}

void EngineTest::TearDown() { hvplant::RemoveAllProductTraces(); }

void EngineTest::ExpectOnlyPlantedTracesChanged() {
  hvplant::RemoveAllProductTraces();
  EXPECT_TRUE(TakeSnapshot() == before) << "something besides the planted traces changed";
}

}  // namespace hvtest
