#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "HvHostLinks.h"
#include "HvLXFiles.h"
#include "HvLXTempCleanup.h"
#include "HvLXTempFiles.h"
#include "TempFilesTestSupport.h"

namespace {

using tempfilestest::MakeFileAged;
using tempfilestest::MakeFolder;
using tempfilestest::SetAgeHours;

constexpr double kDay = 24.0;

bool Exists(const std::wstring& path) { return hvtest::PathExists(path); }

// Where the suite's helper programs are built: beside the test program.
std::wstring ExeFolder() {
  const std::wstring exe = hv::GetExeFileName();
  return exe.substr(0, exe.find_last_of(L'\\'));
}

// A canary whose files are old enough for every age rule, so that a clean-up that followed a
// link into it would delete them.
void AgeCanary(const filestest::Canary& canary) {
  SetAgeHours(canary.File(), 30 * kDay);
  SetAgeHours(canary.Folder() + L"\\inner.txt", 30 * kDay);
}

TEST(CleanupTempFiles, DeletesRegisteredFilesAndKeepsOneStillOpenListed) {
  const std::wstring done = hv::GetRegisteredTempFileName(L".a");
  const std::wstring open = hv::GetRegisteredTempFileName(L".b");
  const std::wstring neverMade = hv::GetRegisteredTempFileName(L".c");
  ASSERT_TRUE(hvtest::WriteTextFile(done, "x"));
  ASSERT_TRUE(hvtest::WriteTextFile(open, "x"));
  HANDLE held = CreateFileW(open.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  EXPECT_NO_THROW(hv::CleanupTempFiles());
  EXPECT_FALSE(Exists(done));
  EXPECT_TRUE(Exists(open));

  CloseHandle(held);
  hv::CleanupTempFiles();
  EXPECT_FALSE(Exists(open)) << "a file that could not go stays listed for the next try";
  EXPECT_TRUE(hv::RegisterTempFile(done)) << "a deleted file leaves the list";
  EXPECT_FALSE(hv::RegisterTempFile(neverMade));
}

TEST(CleanupTempFiles, UnderWineSweepsFilesADayOldBelowTheProgramsTempFolder) {
  tempfilestest::WineHostInScratch wine;
  filestest::Canary canary;
  AgeCanary(canary);
  filestest::HostLinks links;
  const std::wstring root = hv::GetHalvernTempFolder();
  MakeFileAged(root + L"young.tmp", 23);
  MakeFileAged(root + L"old.tmp", 25);
  MakeFolder(root + L"sub\\deep");
  MakeFileAged(root + L"sub\\young.tmp", 23);
  MakeFileAged(root + L"sub\\deep\\old.tmp", 25);
  MakeFolder(root + L"empty\\emptier");
  links.Make(root + L"folderlink", canary.Path());
  links.Make(root + L"filelink", canary.File());

  hv::CleanupTempFiles();
  EXPECT_TRUE(Exists(root + L"young.tmp"));
  EXPECT_TRUE(Exists(root + L"sub\\young.tmp"));
  EXPECT_FALSE(Exists(root + L"old.tmp"));
  EXPECT_FALSE(Exists(root + L"sub\\deep\\old.tmp"));
  EXPECT_TRUE(canary.Intact());

  hv::CleanupTempFolders();
  EXPECT_FALSE(Exists(root + L"sub\\deep"));
  EXPECT_FALSE(Exists(root + L"empty"));
  EXPECT_TRUE(Exists(root + L"sub"));
  EXPECT_TRUE(canary.Intact());
}

TEST(CleanupTempFiles, NeverSweepsTheHostTempFolderSharedWithOtherPrograms) {
  hv::ScopedHostPins wine(tempfilestest::WineHost());
  hv::ScopedUserDataFolder unknown(std::nullopt);
  const std::wstring shared = hv::IncludeTrailingBackslashLX(filestest::DosPath(getenv("TMPDIR")));
  const std::wstring oldFile = shared + L"hvtest-old-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  const std::wstring emptyFolder = shared + L"hvtest-empty-" + std::to_wstring(GetCurrentProcessId());
  MakeFileAged(oldFile, 30 * kDay);
  MakeFolder(emptyFolder);

  hv::CleanupTempFiles();
  hv::CleanupTempFolders();
  EXPECT_TRUE(Exists(oldFile));
  EXPECT_TRUE(Exists(emptyFolder));
  DeleteFileW(oldFile.c_str());
  RemoveDirectoryW(emptyFolder.c_str());
}

// Where no host shell removes host links as links (pinned: not under Wine).
TEST(CleanupTempFolders, RemovesRegisteredTreesWithoutFollowingLinks) {
  hv::ScopedHostPins windows({.wine = false});
  hvtest::ScratchDir scratch;
  filestest::Canary canary;
  filestest::HostLinks links;
  const std::wstring plain = scratch / L"plain", linked = scratch / L"linked";
  for (const std::wstring& tree : {plain, linked}) {
    MakeFolder(tree + L"\\a\\b");
    ASSERT_TRUE(hvtest::WriteTextFile(tree + L"\\a\\b\\f.txt", "x"));
    ASSERT_TRUE(hv::RegisterTempFolder(tree));
    EXPECT_FALSE(hv::RegisterTempFolder(tree));
  }
  // A host link, which this system cannot remove without reaching its target.
  links.Make(linked + L"\\a\\out", canary.Path());

  hv::CleanupTempFolders();
  EXPECT_FALSE(Exists(plain));
  EXPECT_TRUE(hv::RegisterTempFolder(plain)) << "a removed folder leaves the list";
  EXPECT_TRUE(canary.Intact());
  // The tree with the link is refused whole, so it stays, and stays listed.
  EXPECT_TRUE(Exists(linked));
  EXPECT_FALSE(hv::RegisterTempFolder(linked)) << "a folder that stays, stays listed";

  hv::RemoveTempFolder(plain);  // gone already: unlisted without complaint
  EXPECT_TRUE(hv::RegisterTempFolder(plain));
  hv::RemoveTempFolder(plain);

  // Under Wine the host shell removes the link as a link, and the tree goes.
  hv::ScopedHostPins wine(tempfilestest::WineHost());
  hv::CleanupTempFolders();
  EXPECT_FALSE(Exists(linked));
  EXPECT_TRUE(canary.Intact());
}

TEST(CleanupProcessTempFolders, DeletesWhatIsAWeekOldAndFoldersLeftEmpty) {
  hv::ScopedHostPins windows({.wine = false});
  hv::ScopedProcessTempState fresh;
  filestest::Canary canary;
  AgeCanary(canary);
  filestest::HostLinks links;
  const std::wstring own = hv::GetProcessTempFolder();
  const std::wstring base = own.substr(0, own.find_last_of(L'\\', own.size() - 2) + 1);
  const std::wstring tag = L"hvtest" + std::to_wstring(GetCurrentProcessId());
  const std::wstring gone = base + tag + L"-gone", kept = base + tag + L"-kept", mixed = base + tag + L"-mixed";
  MakeFolder(gone + L"\\nested");
  MakeFileAged(gone + L"\\nested\\old.tmp", 8 * kDay);
  MakeFileAged(gone + L"\\old.tmp", 8 * kDay);
  SetAgeHours(gone + L"\\nested", 8 * kDay);
  SetAgeHours(gone, 8 * kDay);
  MakeFolder(kept);
  MakeFileAged(kept + L"\\young.tmp", 6 * kDay);
  MakeFolder(mixed);
  MakeFileAged(mixed + L"\\old.tmp", 8 * kDay);
  MakeFileAged(mixed + L"\\young.tmp", 6 * kDay);
  links.Make(base + tag + L"-link", canary.Path());

  hv::CleanupProcessTempFolders();
  EXPECT_FALSE(Exists(gone));
  EXPECT_TRUE(Exists(kept + L"\\young.tmp"));
  EXPECT_FALSE(Exists(mixed + L"\\old.tmp"));
  EXPECT_TRUE(Exists(mixed + L"\\young.tmp"));
  EXPECT_FALSE(Exists(own)) << "this process's folder was empty";
  EXPECT_TRUE(canary.Intact());

  for (const std::wstring& folder : {kept, mixed}) {
    DeleteFileW((folder + L"\\young.tmp").c_str());
    RemoveDirectoryW(folder.c_str());
  }
}

// What the child program reported: name -> value.
std::map<std::wstring, std::wstring> RunChild(const std::wstring& mode) {
  hvtest::ScratchDir scratch;
  const std::wstring report = scratch / L"report.txt";
  std::wstring command = L"\"" + ExeFolder() + L"\\hv_tempfiles_child.exe\" \"" + report + L"\" " + mode;
  std::map<std::wstring, std::wstring> values;
  const long code = hvtest::RunProgram(command);
  if (code == -1) {
    ADD_FAILURE() << "child not started: " << GetLastError();
    return values;
  }
  values[L"exitCode"] = std::to_wstring(code);
  std::wifstream in(report.c_str());
  for (std::wstring line; std::getline(in, line);) {
    const std::size_t eq = line.find(L'=');
    if (eq != std::wstring::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

TEST(ProgramEnd, RunsTheCleanupsInOrderAndLeavesOnlyWhatItMayNotDelete) {
  // Leftovers of earlier runs of the child program, in its own process folder holder.
  const std::wstring base = hv::GetWindowsTempFolder() + L"hv_tempfiles_child_tmp\\";
  const std::wstring earlier = base + L"999999901", recent = base + L"999999902";
  MakeFolder(earlier);
  MakeFileAged(earlier + L"\\left.tmp", 8 * kDay);
  MakeFolder(recent);
  MakeFileAged(recent + L"\\left.tmp", 6 * kDay);

  std::map<std::wstring, std::wstring> run = RunChild(L"hold");
  EXPECT_EQ(run[L"exitCode"], L"0");
  EXPECT_EQ(run[L"first"], L"present") << "the event log trimming comes before the temporary files";
  EXPECT_EQ(run[L"afterFiles"], L"gone");
  ASSERT_FALSE(run[L"registered"].empty());
  EXPECT_FALSE(Exists(run[L"registered"]));
  EXPECT_EQ(run[L"heldOpen"], L"yes");
  EXPECT_TRUE(Exists(run[L"held"])) << "held open to the end: stays, and nothing was raised";
  EXPECT_TRUE(run[L"processFolder"].starts_with(base));
  EXPECT_FALSE(Exists(earlier));
  EXPECT_TRUE(Exists(recent + L"\\left.tmp"));

  // Once nothing young is left, the holder goes as well.
  DeleteFileW(run[L"held"].c_str());
  DeleteFileW((recent + L"\\left.tmp").c_str());
  run = RunChild(L"");
  EXPECT_EQ(run[L"exitCode"], L"0");
  EXPECT_FALSE(Exists(base));
}

}  // namespace
