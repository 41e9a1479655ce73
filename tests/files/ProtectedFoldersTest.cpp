#include <gtest/gtest.h>

#include "HvHostLinks.h"
#include "HvExceptions.h"
#include "HvLXFiles.h"

namespace {

using hvtest::ScratchDir;

std::wstring Env(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  GetEnvironmentVariableW(name, value, MAX_PATH);
  return value;
}

TEST(ProtectedFolders, SystemAndUserFoldersUnderEveryNameButNotTheirNeighbours) {
  const std::wstring profile = Env(L"USERPROFILE");
  ASSERT_FALSE(profile.empty());
  // Under Wine the profile's Documents is a link to the host home folder.
  std::wstring documentsTarget;
  ASSERT_TRUE(hv::GetFinalPathName(profile + L"\\Documents", documentsTarget));
  documentsTarget = documentsTarget.substr(4);  // without "\\?\"

  wchar_t shortName[MAX_PATH] = {};
  GetShortPathNameW(L"C:\\Program Files (x86)", shortName, MAX_PATH);

  ScratchDir dir;
  filestest::HostLinks links;
  links.Make(dir / L"to_users", L"C:\\users");
  links.Make(dir / L"to_documents_target", documentsTarget);
  wchar_t computerName[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD computerLength = MAX_COMPUTERNAME_LENGTH + 1;
  GetComputerNameW(computerName, &computerLength);
  const std::wstring computer = L"\\\\" + std::wstring(computerName);
  const std::wstring desktopOld = profile + L"\\Desktop.old";
  CreateDirectoryW(desktopOld.c_str(), nullptr);

  struct Case {
    std::wstring path;
    bool isProtected;
  } cases[] = {
      {L"C:\\", true},
      {L"\\\\?\\C:\\", true},
      {L"Z:\\", true},
      {L"\\\\server\\share", true},
      {L"\\\\server\\share\\", true},
      {L"\\\\?\\UNC\\server\\share", true},
      {L"\\\\server\\share\\folder", false},
      {L"C:\\windows", true},
      {L"c:\\WINDOWS\\\\", true},
      {L"\\\\?\\C:\\windows\\", true},
      {L"C:\\windows\\system32", true},
      {L"C:\\windows\\syswow64", true},
      {L"C:\\windows2", false},
      {L"C:\\Program Files", true},
      {L"C:\\Program Files (x86)", true},
      {shortName, true},
      {L"C:\\Program Files (x86)\\Corvista", false},
      {L"C:\\Program Files\\Common Files", true},
      {L"C:\\Program Files (x86)\\Common Files", true},
      {L"C:\\Program Files (x86)\\Common Files\\Corvista", false},
      {L"C:\\ProgramData", true},
      {L"C:\\users", true},
      {L"C:\\users\\Public", true},
      {L"C:\\users\\someone-else", true},  // any folder directly in Users is a profile
      // Every profile's own folders, not only the running account's.
      {L"C:\\users\\someone-else\\Documents", true},
      {L"C:\\users\\someone-else\\Desktop\\", true},
      {L"C:\\users\\someone-else\\AppData", true},
      {L"C:\\users\\someone-else\\AppData\\Local", true},
      {L"C:\\users\\someone-else\\AppData\\Roaming", true},
      {L"C:\\users\\Public\\Documents", true},
      {L"C:\\users\\someone-else\\AppData\\Local\\Corvista", false},
      {L"C:\\users\\someone-else\\Documents\\Corvista", false},
      {profile, true},
      {profile + L"\\Desktop", true},
      {profile + L"\\Documents", true},
      {profile + L"\\Downloads", true},
      {profile + L"\\Pictures", true},
      {profile + L"\\Music", true},
      {profile + L"\\Videos", true},
      {profile + L"\\AppData", true},  // holds Roaming and Local
      {profile + L"\\AppData\\Roaming", true},
      {profile + L"\\AppData\\Local", true},
      {profile + L"\\AppData\\Local\\Corvista", false},
      {desktopOld, false},
      {profile + L"\\Documents\\Corvista", false},
      {documentsTarget, true},  // where Documents really is
      {dir / L"to_documents_target", true},
      {dir / L"to_users", true},
      {dir.Path(), false},
      {dir / L"missing", false},
      // The system's own sub-trees of the Windows folder, and what lies below them.
      {L"C:\\windows\\system32\\drivers", true},
      {L"C:\\windows\\SysWOW64\\wbem", true},
      {L"C:\\windows\\SysNative", true},
      {L"C:\\windows\\WinSxS\\x86_corvista", true},
      {L"C:\\windows\\Fonts", true},
      {L"C:\\windows\\servicing\\Packages", true},
      {L"C:\\windows\\assembly\\GAC", true},
      {L"C:\\windows\\Installer\\{3F6E2A91-7C4D-4B8E-A1D2-5E9C0B7F4A63}", true},
      {L"C:\\windows\\Boot\\EFI", true},
      {L"c:\\WINDOWS\\fonts\\", true},
      // The whole Windows folder is the system's, but for its temporary folders; so is the
      // system drive's Recovery folder.
      {L"C:\\windows\\System32Backup", true},
      {L"C:\\windows\\FontsCache", true},
      {L"C:\\windows\\CorvistaCache", true},
      {L"C:\\windows\\Temp\\CorvistaCache", false},
      {L"C:\\windows\\SystemTemp\\CorvistaCache", false},
      {L"C:\\Recovery", true},
      {L"C:\\Recovery\\WindowsRE", true},
      {L"C:\\RecoveryCorvista", false},
      {L"C:\\ProgramData\\Halvern\\CorvistaSetupCache", false},
      // Paths whose meaning depends on the current folder or on the object manager.
      {L"", true},
      {L"CorvistaCache", true},
      {L"..\\CorvistaCache", true},
      {L"\\CorvistaCache", true},
      {L"C:CorvistaCache", true},
      {L"\\\\.\\C:\\ProgramData\\Halvern", true},
      {L"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1\\Corvista", true},
      {L"\\??\\C:\\ProgramData\\Halvern", true},
      {L"C:\\ProgramData\\Halvern\\cache:stream", true},
      // ... and the full forms of the same folders, which stay allowed.
      {L"\\\\?\\C:\\ProgramData\\Halvern\\CorvistaSetupCache", false},
      {L"\\\\?\\UNC\\server\\share\\folder", false},
      {L"C:/ProgramData/Halvern/CorvistaSetupCache", false},
      // This computer's own folders reached over the network are the same folders.
      {L"\\\\localhost\\C$\\Users", true},
      {L"\\\\LOCALHOST\\c$\\windows\\system32\\drivers", true},
      {L"\\\\127.0.0.1\\C$\\Program Files (x86)", true},
      {L"\\\\127.0.0.1\\C$", true},
      {L"\\\\?\\UNC\\localhost\\C$\\ProgramData", true},
      {L"//localhost/C$/Users/someone-else/Documents", true},
      {L"\\\\[::1]\\C$\\windows", true},
      {computer + L"\\C$\\Program Files", true},
      {L"\\\\localhost\\C$\\ProgramData\\Halvern\\CorvistaSetupCache", false},
      {L"\\\\localhost\\Users\\someone-else", true},  // a share of this computer: its folder is unknown
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    std::wstring why;
    EXPECT_EQ(hv::IsProtectedFolder(cases[i].path, &why), cases[i].isProtected)
        << "case " << i << " " << testing::PrintToString(cases[i].path) << " why " << testing::PrintToString(why);
    EXPECT_EQ(why.empty(), !cases[i].isProtected) << "case " << i;
  }
  RemoveDirectoryW(desktopOld.c_str());
}

// Another drive letter for drive C: (under Wine a drive letter is a link in the prefix's
// dosdevices folder; on Windows a mapped or substituted drive) names the same folders.
TEST(ProtectedFolders, AnotherDriveLetterForTheSameVolumeNamesTheSameFolders) {
  filestest::RunHostScript("ln -sfn ../drive_c $WINEPREFIX/dosdevices/q:");
  struct Unmap {
    ~Unmap() { filestest::RunHostScript("rm -f $WINEPREFIX/dosdevices/q:"); }
  } unmap;
  if (GetFileAttributesW(L"Q:\\windows") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "Wine did not take the new drive letter";
  ScratchDir dir;  // a folder on drive C: that is nobody's, reached through Q:
  const std::wstring onQ = L"Q:" + dir.Path().substr(2);
  struct Case {
    std::wstring path;
    bool isProtected;
  } cases[] = {
      {L"Q:\\windows", true},
      {L"Q:\\windows\\system32\\drivers", true},
      {L"Q:\\windows\\CorvistaCache", true},
      {L"Q:\\users", true},
      {L"Q:\\users\\someone-else\\Documents", true},
      {L"Q:\\Program Files (x86)", true},
      {L"Q:\\ProgramData", true},
      {L"Q:\\windows\\temp\\CorvistaCache", false},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(hv::IsProtectedFolder(cases[i].path), cases[i].isProtected) << "case " << i;
  if (dir.Path().starts_with(L"C:")) {
    EXPECT_FALSE(hv::IsProtectedFolder(onQ));
  }
}

// A folder named by a registry value must be a folder of a local fixed drive under its own
// letter: a network path may lead anywhere, this computer's own shares included.
TEST(ProtectedFolders, OnlyLocalFixedFoldersComeFromOutsideInput) {
  for (const wchar_t* path : {L"\\\\localhost\\C$\\ProgramData\\Halvern\\CorvistaSetupCache",
                              L"\\\\server\\share\\Corvista", L"\\\\?\\UNC\\server\\share\\Corvista",
                              L"CorvistaCache", L"\\\\.\\C:\\Corvista"})
    EXPECT_FALSE(hv::WhyNotLocalFixedFolder(path).empty()) << std::wstring(path);
  EXPECT_EQ(hv::WhyNotLocalFixedFolder(L"C:\\ProgramData\\Halvern\\CorvistaSetupCache"), L"");
  EXPECT_EQ(hv::WhyNotLocalFixedFolder(L"\\\\?\\C:\\ProgramData\\Halvern"), L"");
}

TEST(ProtectedFolders, ShellDeletePathRefusesThem) {
  try {
    hv::ShellDeletePath(L"C:\\users\\someone-else", 0x414, L"");
    FAIL() << "no exception";
  } catch (const hv::EHvGeneralError& e) {
    EXPECT_EQ(e.Message(), L"Refusing to delete \"C:\\users\\someone-else\": it is a user profile folder.");
  }
  EXPECT_NO_THROW(hv::DeletePathLX(L"C:\\windows", true));
  EXPECT_TRUE(hv::DirExistsLX(L"C:\\windows\\system32", true));
}

}  // namespace

namespace {

// Under Wine the host's shared folders are reachable through Z:; emptying one would reach
// other users' and programs' files.
TEST(ProtectedFolders, TheHostsSharedFoldersUnderWine) {
  wchar_t wineHome[MAX_PATH] = {};
  GetEnvironmentVariableW(L"WINEHOMEDIR", wineHome, MAX_PATH);
  const std::wstring home = std::wstring(wineHome).substr(4);  // "\??\Z:\..."
  const std::wstring tmpdir = filestest::DosPath(getenv("TMPDIR"));
  for (const std::wstring& shared : {std::wstring(L"Z:\\"), std::wstring(L"Z:\\tmp"), std::wstring(L"Z:\\tmp\\"),
                                      std::wstring(L"Z:\\var\\tmp"), std::wstring(L"Z:\\dev\\shm"), home, tmpdir}) {
    std::wstring why;
    EXPECT_TRUE(hv::IsProtectedFolder(shared, &why)) << shared;
    EXPECT_FALSE(why.empty()) << shared;
  }
  hvtest::ScratchDir dir;
  EXPECT_FALSE(hv::IsProtectedFolder(dir.Path()));
}

}  // namespace
