// Where the elevated program writes its log and its registry backups: folders only
// administrators can change, files made new, never a link someone else put at the name.
#include <gtest/gtest.h>

#include "HvWindows.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <string>

#include "HvAccessSeen.h"
#include "HvExceptions.h"
#include "HvHostLinks.h"
#include "HvLXAdminFolders.h"
#include "HvLXFiles.h"
#include "HvLXStrings.h"
#include "HvRegistryBackup.h"
#include "HvRemovalLog.h"
#include "HvTestSupport.h"

namespace {

using hvtest::AccessOf;
using hvtest::AccessSeen;
using hvtest::ScratchDir;

std::wstring ProgramData() {
  wchar_t* raw = nullptr;
  SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &raw);
  std::wstring path = raw ? raw : L"";
  CoTaskMemFree(raw);
  return path;
}

std::string ReadAll(const std::wstring& path) {
  hv::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
  std::string text(4096, '\0');
  DWORD read = 0;
  if (!file || !ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr)) return {};
  text.resize(read);
  return text;
}

void ExpectAdministratorsAlone(const std::wstring& folder) {
  const AccessSeen seen = AccessOf(folder);
  EXPECT_TRUE(seen.read) << testing::PrintToString(folder);
  EXPECT_TRUE(seen.protectedList) << testing::PrintToString(folder);
  EXPECT_TRUE(seen.ownedByAdministrators) << testing::PrintToString(folder);
  EXPECT_TRUE(seen.onlyAdministratorsAndSystem) << testing::PrintToString(folder);
}

// A top-level name of ProgramData for one test, removed (with what is below) afterwards.
struct ScratchDataName {
  std::wstring Name = L"HalvernTest-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
  std::wstring Path() const { return ProgramData() + L"\\" + Name; }
  ~ScratchDataName() { hv::DeletePathLX(Path(), false); }
};

TEST(LogAndBackupPlaces, TheLogAndBackupFoldersAreForAdministratorsAlone) {
  const std::wstring logs = hv::RemovalLogFolder(), backups = hv::RegistryBackupFolder();
  EXPECT_TRUE(hv::SameTextLX(logs, ProgramData() + L"\\HalvernUninstaller\\Logs\\")) << testing::PrintToString(logs);
  EXPECT_TRUE(hv::SameTextLX(backups, ProgramData() + L"\\HalvernUninstaller\\Backups\\")) << testing::PrintToString(backups);
  for (const std::wstring& folder : {ProgramData() + L"\\HalvernUninstaller", logs, backups})
    EXPECT_TRUE(hv::IsAdminOnlyPath(hv::ExcludeTrailingBackslashLX(folder))) << testing::PrintToString(folder);
  const std::wstring log = hv::DefaultRemovalLogPath();
  EXPECT_TRUE(log.starts_with(logs)) << testing::PrintToString(log);
}

// Made where missing, for administrators and the system alone; a level someone else made (an
// ordinary folder, a link) is refused, and nothing is made below it.
TEST(LogAndBackupPlaces, AFolderSomeoneElseMadeIsRefused) {
  // One disk each: a removed folder's number may come back for the next one.
  {
    hvtest::SecurityKeepingDisk disk;
    ScratchDataName fresh;
    const std::wstring made = hv::AdminOnlyDataFolder(fresh.Name + L"\\Logs");
    EXPECT_EQ(made, fresh.Path() + L"\\Logs\\");
    ExpectAdministratorsAlone(fresh.Path());
    ExpectAdministratorsAlone(fresh.Path() + L"\\Logs");
    EXPECT_EQ(hv::AdminOnlyDataFolder(fresh.Name + L"\\Logs"), made) << "an own folder is taken again";
  }
  {
    hvtest::SecurityKeepingDisk disk;
    ScratchDataName premade;
    ASSERT_TRUE(CreateDirectoryW(premade.Path().c_str(), nullptr));
    EXPECT_THROW(hv::AdminOnlyDataFolder(premade.Name + L"\\Logs"), hv::EHvGeneralError);
    EXPECT_FALSE(hvtest::PathExists(premade.Path() + L"\\Logs"));
  }
  {
    hvtest::SecurityKeepingDisk disk;
    ScratchDataName linked;
    ScratchDir elsewhere;
    filestest::HostLinks links;
    links.Make(linked.Path(), elsewhere.Path());
    EXPECT_THROW(hv::AdminOnlyDataFolder(linked.Name + L"\\Logs"), hv::EHvGeneralError);
    EXPECT_FALSE(hvtest::PathExists(elsewhere / L"Logs"));
  }
}

// The default log is a file made new: one that someone made at the name first is never opened.
TEST(LogAndBackupPlaces, TheDefaultLogIsAlwaysANewFile) {
  ScratchDir dir;
  const std::wstring name = dir / L"run.log";
  ASSERT_TRUE(hvtest::WriteTextFile(name, "theirs"));
  {
    hv::TRemovalLog log(name, hv::TLogOpening::New);
    EXPECT_EQ(log.Path(), dir / L"run (2).log");
    log.Line(L"ours");
  }
  EXPECT_EQ(ReadAll(name), "theirs");
  EXPECT_EQ(ReadAll(dir / L"run (2).log"), "\xEF\xBB\xBFours\r\n");
}

// A log the administrator names is appended to, but never through a link or a second name of
// another file at that name.
TEST(LogAndBackupPlaces, ANamedLogIsNeverWrittenThroughALink) {
  ScratchDir dir;
  const std::wstring target = dir / L"system-file.txt";
  ASSERT_TRUE(hvtest::WriteTextFile(target, "keep"));
  filestest::HostLinks links;
  links.Make(dir / L"linked.log", target);
  EXPECT_THROW(hv::TRemovalLog(dir / L"linked.log"), hv::EHvGeneralError);
  ASSERT_TRUE(CreateHardLinkW((dir / L"second-name.log").c_str(), target.c_str(), nullptr));
  EXPECT_THROW(hv::TRemovalLog(dir / L"second-name.log"), hv::EHvGeneralError);
  EXPECT_EQ(ReadAll(target), "keep");

  ASSERT_TRUE(hvtest::WriteTextFile(dir / L"plain.log", "before\r\n"));
  { hv::TRemovalLog(dir / L"plain.log").Line(L"after"); }
  EXPECT_EQ(ReadAll(dir / L"plain.log"), "before\r\nafter\r\n");
}

}  // namespace
