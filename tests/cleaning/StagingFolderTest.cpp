#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CleaningTestSupport.h"
#include "HvAccessSeen.h"
#include "HvExceptions.h"
#include "HvLXFiles.h"
#include "HvTempFolderCleaning.h"
#include "HvTestSupport.h"

namespace {

using cleaningtest::EntryNames;
using cleaningtest::ProgressSeen;
using cleaningtest::WatchingDisplay;
using hvtest::AccessOf;
using hvtest::AccessSeen;
using hvtest::ScratchDir;

// The staging folder the cleaning made in `folder`, while it runs; empty when there is none.
std::wstring StagingFolderIn(const std::wstring& folder) {
  for (const std::wstring& name : EntryNames(folder))
    if (name.starts_with(L"Cleaned-out temporary files")) return folder + L"\\" + name;
  return {};
}

// Unique per run: the Recycle Bin is shared and Wine gives out the same process ids again.
std::wstring RunTag() {
  static const std::wstring tag = std::to_wstring(GetTickCount64() % 100000000);
  return tag;
}

// Under the local system account the temporary folder is one where every user can make
// folders, also inside folders the cleaning makes unless it says otherwise: the staging
// folder's access list is its own, for administrators and the system alone, and what it makes
// below inherits that.
TEST(StagingFolder, IsForAdministratorsAndTheSystemAlone) {
  hvtest::SecurityKeepingDisk disk;
  ScratchDir dir;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(hvtest::WriteTextFile(dir / (RunTag() + L"-acl-" + std::to_wstring(i) + L".txt"), "x"));
  AccessSeen staging, bucket;
  WatchingDisplay display([&](const ProgressSeen& seen) {
    const std::wstring folder = StagingFolderIn(dir.Path());
    if (seen.progress < 1 || folder.empty() || staging.read) return;
    staging = AccessOf(folder);
    bucket = AccessOf(folder + L"\\000\\000");
  });
  hv::CleanOutTempFolder(dir.Path());
  ASSERT_TRUE(staging.read) << "no staging folder was seen while the cleaning ran";
  EXPECT_TRUE(staging.protectedList) << "the staging folder inherits from the temporary folder";
  EXPECT_TRUE(staging.onlyAdministratorsAndSystem);
  EXPECT_TRUE(staging.ownedByAdministrators);
  EXPECT_GE(staging.entries, 2);
  ASSERT_TRUE(bucket.read);
  EXPECT_TRUE(bucket.onlyAdministratorsAndSystem);
  EXPECT_TRUE(EntryNames(dir.Path()).empty());
}

// A folder that someone else made in the staging folder under the name of the next group
// (after 1024 entries) is never used: nothing of ours goes into it, and every entry still
// leaves the temporary folder (to the Recycle Bin) or stays where it was.
TEST(StagingFolder, AFolderSomeoneElseMadeThereIsNeverUsed) {
  ScratchDir dir;
  constexpr int kEntries = 1024 + 8;
  for (int i = 0; i < kEntries; ++i)
    ASSERT_TRUE(hvtest::WriteTextFile(dir / (RunTag() + L"-many-" + std::to_wstring(i) + L".txt"), "x"));
  std::wstring planted;
  WatchingDisplay display([&](const ProgressSeen& seen) {
    const std::wstring folder = StagingFolderIn(dir.Path());
    if (seen.progress < 1 || folder.empty() || !planted.empty()) return;
    planted = folder + L"\\001";
    ASSERT_TRUE(CreateDirectoryW(planted.c_str(), nullptr));
    ASSERT_TRUE(hvtest::WriteTextFile(planted + L"\\planted.txt", "theirs"));
  });
  const std::wstring stagingName = [&] {
    hv::CleanOutTempFolder(dir.Path());
    return planted.substr(dir.Path().size() + 1, planted.size() - dir.Path().size() - 5);
  }();
  ASSERT_FALSE(planted.empty());
  // The staging folder went to the Recycle Bin whole, the planted folder in it as it was.
  std::vector<std::wstring> inBin;
  for (const std::wstring& candidate : {cleaningtest::RecycleBinFiles() + L"\\" + stagingName, std::wstring(dir / stagingName)})
    if (GetFileAttributesW(candidate.c_str()) != INVALID_FILE_ATTRIBUTES) inBin.push_back(candidate);
  ASSERT_EQ(inBin.size(), 1u);
  EXPECT_EQ(EntryNames(inBin[0] + L"\\001"), std::vector<std::wstring>{L"planted.txt"});
  // Every entry left the temporary folder: the ones after the planted folder each on its own.
  EXPECT_TRUE(EntryNames(dir.Path()).empty() || EntryNames(dir.Path()) == std::vector<std::wstring>{stagingName});
  for (int i = kEntries - 8; i < kEntries; ++i)
    EXPECT_EQ(cleaningtest::RecycledAs(RunTag() + L"-many-" + std::to_wstring(i) + L".txt").size(), 1u) << i;
}

}  // namespace
