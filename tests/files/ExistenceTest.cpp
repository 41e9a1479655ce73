#include <gtest/gtest.h>

#include "HvLXHost.h"

#include "HvHostLinks.h"
#include "HvExceptions.h"
#include "HvHandles.h"
#include "HvLXFiles.h"

namespace {

using hvtest::ScratchDir;

// Attribute reads of every path fail with `error`, as on a vanished share or a locked file.
hv::FilePlatform FailingAttributes(DWORD error) {
  hv::FilePlatform fake;
  fake.GetAttributes = [error](const wchar_t*) {
    SetLastError(error);
    return INVALID_FILE_ATTRIBUTES;
  };
  return fake;
}

// Attribute reads answer `attrs` for every path, as for a link this host cannot mark.
hv::FilePlatform FixedAttributes(DWORD attrs) {
  hv::FilePlatform fake;
  fake.GetAttributes = [attrs](const wchar_t*) { return attrs; };
  return fake;
}

hv::UniqueFileHandle OpenExclusive(const std::wstring& path) {
  return hv::UniqueFileHandle(
      CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

class Existence : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hvtest::WriteTextFile(File, "x"));
    ASSERT_TRUE(CreateDirectoryW(Folder.c_str(), nullptr));
  }
  ScratchDir Dir;
  std::wstring File = Dir / L"f\u00e9\u65e5.txt";
  std::wstring Folder = Dir / L"d\u00fc\u65e5";
  std::wstring Missing = Dir / L"missing";
};

TEST_F(Existence, RealPathsOfEveryKind) {
  struct Case {
    std::wstring path;
    bool file, dir;
  } cases[] = {
      {File, true, false},
      {Folder, false, true},
      {Folder + L"\\", false, true},
      {Missing, false, false},
      {Missing + L"\\deeper\\x", false, false},
      {Dir / L"bad<name>", false, false},
      {L"", false, false},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    for (bool follow : {false, true}) {
      EXPECT_EQ(hv::FileExistsLX(cases[i].path, follow), cases[i].file) << "case " << i << " follow " << follow;
      EXPECT_EQ(hv::DirExistsLX(cases[i].path, follow), cases[i].dir) << "case " << i << " follow " << follow;
    }
  }
}

TEST_F(Existence, EmptyFolderPathAsksNothing) {
  bool asked = false;
  hv::FilePlatform fake;
  fake.GetAttributes = [&](const wchar_t*) {
    asked = true;
    return DWORD(FILE_ATTRIBUTE_DIRECTORY);
  };
  hv::ScopedFilePlatform scope(fake);
  EXPECT_FALSE(hv::DirExistsLX(L"", true));
  EXPECT_FALSE(asked);
}

// When the attributes cannot be read, a file exists if a listing still shows it; a folder
// exists unless the error says the share or the drive is not there.
TEST_F(Existence, UnreadableAttributes) {
  struct Case {
    DWORD error;
    bool fileOnFile, fileOnFolder, dirOnFolder;
  } cases[] = {
      {ERROR_ACCESS_DENIED, true, false, true},
      {ERROR_SHARING_VIOLATION, true, false, true},
      {ERROR_BAD_NETPATH, true, false, false},
      {ERROR_BAD_NET_NAME, true, false, false},
      {ERROR_NOT_READY, true, false, false},
      {ERROR_FILE_NOT_FOUND, false, false, false},
      {ERROR_PATH_NOT_FOUND, false, false, false},
      {ERROR_INVALID_NAME, false, false, false},
  };
  for (const Case& c : cases) {
    hv::ScopedFilePlatform scope(FailingAttributes(c.error));
    EXPECT_EQ(hv::FileExistsLX(File, false), c.fileOnFile) << "error " << c.error;
    EXPECT_EQ(hv::FileExistsLX(Folder, false), c.fileOnFolder) << "error " << c.error;
    EXPECT_EQ(hv::DirExistsLX(Folder, false), c.dirOnFolder) << "error " << c.error;
    EXPECT_FALSE(hv::FileExistsLX(Missing, false)) << "error " << c.error;
  }
}

TEST_F(Existence, FileHeldOpenExclusivelyStillExists) {
  hv::UniqueFileHandle held = OpenExclusive(File);
  ASSERT_TRUE(held.valid());
  EXPECT_TRUE(hv::FileExistsLX(File, true));
  // A link to it (which this host cannot mark, so the mark is supplied) exists too: the
  // probe-open fails only because someone else holds the file.
  hv::ScopedFilePlatform scope(FixedAttributes(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT));
  EXPECT_TRUE(hv::FileExistsLX(File, true));
  EXPECT_FALSE(hv::FileExistsLX(Missing, true));
  EXPECT_TRUE(hv::FileExistsLX(Missing, false));
}

TEST_F(Existence, ReportTellsHowTheAnswerCameAbout) {
  const std::wstring head = L"FileName = [" + File + L"]\r\nLong_FileName = [" + File + L"]\r\nFollowLink = True\r\n";
  std::wstring report = L"old content";

  hv::FileExistsReport(File, true, report);
  EXPECT_EQ(report, head + L"Flags_1 = 00000020\r\nResult = True (faDirectory and Flags = 0)");

  hv::FileExistsReport(Folder, false, report);
  EXPECT_EQ(report, L"FileName = [" + Folder + L"]\r\nLong_FileName = [" + Folder +
                        L"]\r\nFollowLink = False\r\nFlags_1 = 00000010\r\n"
                        L"Result = False (faDirectory and Flags <> 0)");

  hv::FileExistsReport(Missing, false, report);
  EXPECT_EQ(report, L"FileName = [" + Missing + L"]\r\nLong_FileName = [" + Missing +
                        L"]\r\nFollowLink = False\r\nFlags_1 = FFFFFFFF\r\nLastError = 00000002\r\n"
                        L"Final_Result = False");
  {
    hv::ScopedFilePlatform scope(FailingAttributes(ERROR_SHARING_VIOLATION));
    hv::FileExistsReport(File, true, report);
    EXPECT_EQ(report, head + L"Flags_1 = FFFFFFFF\r\nLastError = 00000020\r\n"
                             L"ExistsLockedOrShared :: LHandle <> INVALID_HANDLE_VALUE\r\n"
                             L"ExistsLockedOrShared :: FindData.dwFileAttributes = 00000020\r\n"
                             L"ExistsLockedOrShared :: Result = True\r\nFinal_Result = True");
    hv::FileExistsReport(Missing, true, report);
    EXPECT_TRUE(report.ends_with(L"LastError = 00000020\r\nExistsLockedOrShared :: Result = False\r\n"
                                 L"Final_Result = False"))
        << report.c_str();
  }
  {
    hv::ScopedFilePlatform scope(FixedAttributes(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT));
    const std::pair<std::wstring, std::wstring> linkCases[] = {
        {File, L"Result = True (Handle <> INVALID_HANDLE_VALUE)"},
        {Missing, L"Result = False (LastError <> ERROR_SHARING_VIOLATION)"},
    };
    for (const auto& [path, last] : linkCases) {
      hv::FileExistsReport(path, true, report);
      EXPECT_TRUE(report.ends_with(L"Flags_1 = 00000420\r\n" + last)) << report.c_str();
    }
    hv::UniqueFileHandle held = OpenExclusive(File);
    hv::FileExistsReport(File, true, report);
    EXPECT_TRUE(report.ends_with(L"\r\nResult = True (LastError = ERROR_SHARING_VIOLATION)")) << report.c_str();
    hv::FileExistsReport(File, false, report);
    EXPECT_TRUE(report.ends_with(L"\r\nResult = True (faSymLink and Flags <> 0)")) << report.c_str();
  }
}

TEST_F(Existence, ExceptionsInsideFolderTestNameThePath) {
  // On Windows: under Wine every raise also writes an event log file, through the very
  // attribute call this test makes throw.
  hv::HostPins windows;
  windows.wine = false;
  hv::ScopedHostPins pins(windows);
  hv::FilePlatform fake;
  fake.GetAttributes = [](const wchar_t*) -> DWORD { throw hv::EHvGeneralError(L"boom"); };
  hv::ScopedFilePlatform scope(fake);
  try {
    hv::DirExistsLX(Folder, true);
    FAIL() << "no exception";
  } catch (const hv::EHvGeneralError& e) {
    EXPECT_EQ(e.Message(), L"boom\r\n  " + Folder);
  }
}

}  // namespace
