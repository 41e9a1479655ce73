#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <vector>

#include "HvExceptions.h"
#include "HvHostLinks.h"
#include "HvLXFiles.h"
#include "HvLXRandom.h"
#include "HvLXTempFiles.h"
#include "TempFilesTestSupport.h"

namespace {

using tempfilestest::MakeFolder;
using tempfilestest::SteppingClock;

std::wstring Pid() { return std::to_wstring(GetCurrentProcessId()); }

// A generator that repeats a fixed sequence, the last value for ever.
std::function<std::uint32_t()> Sequence(std::vector<std::uint32_t> values) {
  return [values, next = std::size_t{0}]() mutable { return values[std::min(next++, values.size() - 1)]; };
}

// folder + prefix + "-" + 8 upper-case hexadecimal digits + ext.
bool MatchesName(const std::wstring& path, const std::wstring& folder, const std::wstring& prefix,
                 const std::wstring& ext) {
  const std::wstring head = hv::IncludeTrailingBackslashLX(folder) + prefix + L"-";
  if (path.size() != head.size() + 8 + ext.size() || !path.starts_with(head) || !path.ends_with(ext)) return false;
  return path.substr(head.size(), 8).find_first_not_of(L"0123456789ABCDEF") == std::wstring::npos;
}

TEST(ProcessTempFolder, OnWindowsIsTheProgramsFolderInTheSystemTempPerProcess) {
  hv::ScopedHostPins windows({.wine = false});
  hv::ScopedProcessTempState fresh;
  const std::wstring expected = hv::GetWindowsTempFolder() + L"test_tempfiles_tmp\\" + Pid() + L"\\";
  EXPECT_EQ(hv::GetProcessTempFolder(), expected);
  EXPECT_TRUE(hv::DirExistsLX(expected, false));
}

TEST(ProcessTempFolder, UnderWineSitsInTheProgramsOwnTempFolder) {
  tempfilestest::WineHostInScratch wine;
  const std::wstring expected = wine.Scratch() + L"\\Halvern\\test_tempfiles\\Temp\\tmp_" + Pid() + L"\\";
  EXPECT_EQ(hv::GetProcessTempFolder(), expected);
  EXPECT_TRUE(hv::DirExistsLX(expected, false));
}

TEST(ProcessTempFolder, UnderWineOnChromeOSGetsAFolderNamedAfterTheProgram) {
  hv::ScopedHostPins chromeOS(tempfilestest::WineHost(true));
  hv::ScopedProcessTempState fresh;
  const std::wstring folder = hv::GetProcessTempFolder();
  EXPECT_EQ(folder, hv::GetHalvernTempFolder() + L"test_tempfiles_tmp\\" + Pid() + L"\\");
  RemoveDirectoryW(folder.c_str());
}

TEST(FindUniqueFileName, SkipsEveryNameThatIsTaken) {
  hvtest::ScratchDir scratch;
  const std::wstring folder = scratch / L"new\\deeper";  // made by the search
  MakeFolder(folder);
  ASSERT_TRUE(hvtest::WriteTextFile(folder + L"\\pre-0000000A.ext", "taken"));
  MakeFolder(folder + L"\\pre-0000000B.ext");  // a folder takes the name as well
  hv::ScopedRandomSource random(Sequence({0xA, 0xB, 0xA, 0x7FFFFFFE}));

  std::wstring name = L"untouched";
  int tries = 0;
  ASSERT_TRUE(hv::FindUniqueFileName(L".ext", folder, L"pre", 2500, name, tries));
  EXPECT_EQ(name, folder + L"\\pre-7FFFFFFE.ext");
  EXPECT_EQ(tries, 4);
}

TEST(FindUniqueFileName, CreatesTheFolderAndNamesNothingThatExists) {
  hvtest::ScratchDir scratch;
  const std::wstring folder = scratch / L"a\\b\\";
  std::wstring name;
  int tries = 0;
  ASSERT_TRUE(hv::FindUniqueFileName(L".tmp", folder, L"tmp", 2500, name, tries));
  EXPECT_TRUE(MatchesName(name, folder, L"tmp", L".tmp")) << name;
  EXPECT_EQ(tries, 1);
  EXPECT_TRUE(hv::DirExistsLX(folder, false));
  EXPECT_FALSE(hvtest::PathExists(name));
}

TEST(FindUniqueFileName, GivesUpByTheTimeAndTriesRules) {
  struct Case {
    std::uint32_t timeoutMs;
    std::uint32_t startTick;
    std::uint32_t msPerReading;
    int expectedTries;
  };
  const Case cases[] = {
      {100, 1000, 1, 501},           // 3 x timeout long passed: 500 tries are enough
      {200, 1000, 1, 601},           // the 3 x timeout rule waits for its time
      {1000, 1000, 1, 1001},         // past the timeout, more than 1000 tries
      {1000000, 0xFFFFFF00, 1, 501},  // the tick counter wrapped: counts as a very long time
  };
  hvtest::ScratchDir scratch;
  ASSERT_TRUE(hvtest::WriteTextFile(scratch / L"x-0000002A.t", "taken"));
  hv::ScopedRandomSource random([] { return 0x2Au; });
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SteppingClock clock(cases[i].startTick, cases[i].msPerReading);
    hv::ScopedClock useClock(clock);
    std::wstring name = L"untouched";
    int tries = 0;
    EXPECT_FALSE(hv::FindUniqueFileName(L".t", scratch.Path(), L"x", cases[i].timeoutMs, name, tries)) << "case " << i;
    EXPECT_EQ(tries, cases[i].expectedTries) << "case " << i;
    EXPECT_EQ(name, L"untouched") << "case " << i;
  }
}

TEST(UniqueTempFileName, IsAFreeNameInTheProcessTempFolder) {
  const std::wstring folder = hv::GetProcessTempFolder();
  std::set<std::wstring> names;
  for (int i = 0; i < 20; ++i) {
    const std::wstring name = hv::GetUniqueTempFileName(L".tmp");
    EXPECT_TRUE(MatchesName(name, folder, L"tmp", L".tmp")) << name;
    EXPECT_FALSE(hvtest::PathExists(name));
    ASSERT_TRUE(hvtest::WriteTextFile(name, "in use"));  // the next name must avoid it
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 20u);
  for (const std::wstring& name : names) DeleteFileW(name.c_str());
}

TEST(UniqueTempFileName, AFailedSearchMovesTheProcessToAFreshFolderLevelForGood) {
  hv::ScopedProcessTempState fresh;
  const std::wstring folder = hv::GetProcessTempFolder();
  ASSERT_TRUE(hvtest::WriteTextFile(folder + L"tmp-0000002A.tmp", "taken"));
  hv::ScopedRandomSource random([] { return 0x2Au; });
  SteppingClock clock(1000, 10);
  hv::ScopedClock useClock(clock);

  EXPECT_EQ(hv::GetUniqueTempFileName(L".tmp"), folder + L"0000002A\\tmp-0000002A.tmp");
  EXPECT_EQ(hv::GetProcessTempFolder(), folder + L"0000002A\\");

  // The fresh level is taken as well: the second search gives up too, and says how it went.
  ASSERT_TRUE(hvtest::WriteTextFile(folder + L"0000002A\\tmp-0000002A.tmp", "taken"));
  try {
    hv::GetUniqueTempFileName(L".tmp");
    ADD_FAILURE() << "no exception";
  } catch (const hv::EHvInternalError& e) {
    EXPECT_TRUE(std::regex_match(e.Message(), std::wregex(LR"(Internal Error: A unique file name could not be )"
                                                          LR"(found within [1-9][0-9] seconds and 751 tries\.)")))
        << e.Message();
  }
  DeleteFileW((folder + L"0000002A\\tmp-0000002A.tmp").c_str());
  RemoveDirectoryW((folder + L"0000002A").c_str());
  DeleteFileW((folder + L"tmp-0000002A.tmp").c_str());
}

// A name found free can be taken before the file is made; a dangling link there is even
// invisible to the search under Wine, and writing through it would create its target. The
// file is created new, so the taken name is passed over and nothing lands elsewhere.
TEST(UniqueTempFile, IsCreatedNewAndATakenNameIsPassedOver) {
  hv::ScopedProcessTempState fresh;
  const std::wstring folder = hv::GetProcessTempFolder();
  hvtest::ScratchDir outside;
  filestest::HostLinks links;
  links.Make(folder + L"tmp-0000000A.tmp", outside / L"written-through-the-link.tmp");
  hv::ScopedRandomSource random(Sequence({0xA, 0xB}));

  std::wstring path;
  {
    hv::UniqueFileHandle file = hv::CreateUniqueTempFile(L".tmp", path);
    ASSERT_TRUE(file.valid());
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file.get(), "data", 4, &written, nullptr));
  }
  EXPECT_EQ(path, folder + L"tmp-0000000B.tmp");
  EXPECT_FALSE(hvtest::PathExists(outside / L"written-through-the-link.tmp"));
  EXPECT_TRUE(filestest::HostIsLink(folder + L"tmp-0000000A.tmp"));
  EXPECT_TRUE(DeleteFileW(path.c_str()));
}

TEST(RegisterTempFile, ListsEachPathOnce) {
  const std::wstring name = hv::GetRegisteredTempFileName(L".reg");
  EXPECT_FALSE(hv::RegisterTempFile(name));
  const std::wstring other = hv::GetUniqueTempFileName(L".reg");
  EXPECT_TRUE(hv::RegisterTempFile(other));
  EXPECT_FALSE(hv::RegisterTempFile(other));
}

}  // namespace
