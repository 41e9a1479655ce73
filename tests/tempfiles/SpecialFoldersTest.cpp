#include <gtest/gtest.h>

#include <cwchar>

#include "HvLXFiles.h"
#include "HvLXHost.h"
#include "HvLXSpecialFolders.h"
#include "HvLXStrings.h"
#include "HvLXSystemText.h"
#include "HvTracePlanter.h"
#include "TempFilesTestSupport.h"

namespace {

using hv::HostPins;
using hv::ScopedHostPins;

std::wstring SystemTempPath() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD len = GetTempPathW(MAX_PATH + 1, buffer);
  return std::wstring(buffer, len);
}

// The drive path Wine gives for a host path, the reference for the host-folder answers.
std::wstring WineDosPath(const std::wstring& hostPath) {
  using Fn = WCHAR*(CDECL*)(LPCSTR);
  auto toDos = reinterpret_cast<Fn>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name"));
  std::string narrow(hostPath.begin(), hostPath.end());
  WCHAR* raw = toDos(narrow.c_str());
  std::wstring out = raw ? raw : L"";
  HeapFree(GetProcessHeap(), 0, raw);
  return out;
}

class SetEnvironment {
 public:
  SetEnvironment(const wchar_t* name, const std::wstring& value) : FName(name), FSaved(hv::GetEnvironmentValue(name)) {
    SetEnvironmentVariableW(name, value.c_str());
  }
  ~SetEnvironment() { SetEnvironmentVariableW(FName, FSaved.empty() ? nullptr : FSaved.c_str()); }

 private:
  const wchar_t* FName;
  std::wstring FSaved;
};

// The system names no special folder at all.
hv::FilePlatform NoSpecialFolders() {
  hv::FilePlatform none;
  none.GetSpecialFolderPath = [](HWND, wchar_t* buffer, int) {
    buffer[0] = L'\0';
    return FALSE;
  };
  return none;
}

TEST(HalvernTempFolder, OnWindowsIsTheSystemTempPathUnchanged) {
  for (const HostPins& pins : {HostPins{.wine = false}, tempfilestest::WineHost(true)}) {
    ScopedHostPins host(pins);
    const std::wstring folder = hv::GetHalvernTempFolder();
    EXPECT_EQ(folder, SystemTempPath());
    EXPECT_EQ(folder.back(), L'\\');
  }
}

TEST(HalvernTempFolder, UnderWineIsTheProgramsOwnFolderOnceUserDataIsKnown) {
  hvtest::ScratchDir scratch;
  ScopedHostPins wine(tempfilestest::WineHost());
  hv::ScopedUserDataFolder userData(scratch.Path());
  const std::wstring expected = scratch / L"Halvern\\test_tempfiles\\Temp\\";
  EXPECT_EQ(hv::GetHalvernTempFolder(), expected);
  EXPECT_TRUE(hv::DirExistsLX(expected, false));
  EXPECT_TRUE(hv::HalvernTempFolderIsPrivate());
}

// The folder that temporary folder cleaning empties is never one the host's other programs
// share, also when the user data folder was not looked up before and TMPDIR is unset.
TEST(HalvernTempFolder, UnderWineIsTheProgramsOwnFolderEvenBeforeUserDataIsKnown) {
  ScopedHostPins wine(tempfilestest::WineHost());
  const std::wstring tmpdir = hv::GetEnvironmentValue(L"TMPDIR");
  ASSERT_FALSE(tmpdir.empty()) << "the test scripts set TMPDIR inside the build tree";
  for (bool tmpdirSet : {true, false}) {
    hv::ScopedUserDataFolder unknown(std::nullopt);
    SetEnvironmentVariableW(L"TMPDIR", tmpdirSet ? tmpdir.c_str() : nullptr);
    const std::wstring folder = hv::GetHalvernTempFolder();
    EXPECT_EQ(folder, hv::IncludeTrailingBackslashLX(hv::GetUserDataFolder()) + L"Halvern\\test_tempfiles\\Temp\\");
    EXPECT_TRUE(hv::HalvernTempFolderIsPrivate());
    EXPECT_NE(folder, hv::IncludeTrailingBackslashLX(WineDosPath(tmpdir)));
    // Not the host's shared /tmp itself (the build tree, and so the home folder, may lie below it).
    EXPECT_NE(hv::ExcludeTrailingBackslashLX(folder), L"Z:\\tmp") << folder;
  }
  SetEnvironmentVariableW(L"TMPDIR", tmpdir.c_str());
}

TEST(UserDataFolder, UnderWineIsInTheHostHomeAndIsCreatedOnlyWhenFirstDetermined) {
  ScopedHostPins wine(tempfilestest::WineHost());
  hv::ScopedUserDataFolder unknown(std::nullopt);
  // Wine names the host home folder in WINEHOMEDIR as "\\??\\Z:\\...".
  const std::wstring expected = hv::GetEnvironmentValue(L"WINEHOMEDIR").substr(4) + L"\\Library\\Application Support";
  // Left by an earlier run, with the event log files that raises under a Wine host write there.
  hvplant::RemoveFolderTree(expected);
  ASSERT_FALSE(hvtest::PathExists(expected)) << "a leftover that cannot be removed";
  EXPECT_EQ(hv::GetUserDataFolder(), expected);
  EXPECT_TRUE(hv::DirExistsLX(expected, false));
  // A known answer is kept as it is: asked again it is not created again.
  hvtest::ScratchDir scratch;
  hv::ScopedUserDataFolder known(scratch / L"absent");
  EXPECT_EQ(hv::GetUserDataFolder(), scratch / L"absent");
  EXPECT_FALSE(hvtest::PathExists(scratch / L"absent"));
}

TEST(UserDataFolder, OnWindowsIsTheLocalAppDataFolder) {
  ScopedHostPins windows({.wine = false});
  hv::ScopedUserDataFolder unknown(std::nullopt);
  EXPECT_EQ(hv::GetUserDataFolder(), hv::GetSpecialFolder(hv::kCsidlLocalAppData));
  EXPECT_FALSE(hv::GetUserDataFolder().empty());
}

TEST(SpecialFolders, FallBackWhenTheSystemNamesNone) {
  hvtest::ScratchDir profile;
  hv::ScopedFilePlatform none(NoSpecialFolders());
  EXPECT_EQ(hv::GetSpecialFolder(hv::kCsidlPersonal), L"");

  // Documents: the fixed folder, made on demand.
  EXPECT_EQ(hv::GetDocumentsFolder(), L"C:\\My Documents");
  EXPECT_TRUE(hv::DirExistsLX(L"C:\\My Documents", false));

  struct Case {
    std::wstring profile;
    std::wstring expected;
  };
  const Case cases[] = {
      {profile.Path(), profile / L"AppData\\Local"},
      {profile.Path() + L"\\", profile / L"AppData\\Local"},
      {profile / L"missing", L"C:\\My Documents\\AppData\\Local"},
      {L"", L"C:\\My Documents\\AppData\\Local"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SetEnvironment env(L"USERPROFILE", cases[i].profile);
    EXPECT_EQ(hv::GetLocalAppDataFolder(), cases[i].expected) << "case " << i;
  }
}

TEST(SpecialFolders, DocumentsThatDoNotExistAreNotUsed) {
  hvtest::ScratchDir scratch;
  static std::wstring missing;
  missing = scratch / L"gone";
  hv::FilePlatform gone;
  gone.GetSpecialFolderPath = [](HWND, wchar_t* buffer, int) {
    wcscpy(buffer, missing.c_str());
    return TRUE;
  };
  hv::ScopedFilePlatform platform(gone);
  EXPECT_EQ(hv::GetDocumentsFolder(), L"C:\\My Documents");
}

TEST(SpecialFolders, SystemFoldersAndProgramFile) {
  EXPECT_TRUE(hv::DirExistsLX(hv::GetWindowsFolder(), false));
  EXPECT_TRUE(hv::DirExistsLX(hv::GetSystemFolder(), false));
  EXPECT_TRUE(hv::StartsTextLX(hv::GetWindowsFolder() + L"\\", hv::GetSystemFolder()));
  EXPECT_TRUE(hv::FileExistsLX(hv::GetExeFileName(), false));
  EXPECT_EQ(hv::GetExeBaseName(), L"test_tempfiles");
}

}  // namespace
