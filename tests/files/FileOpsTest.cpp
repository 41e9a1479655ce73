#include <gtest/gtest.h>

#include "HvHostLinks.h"
#include "HvExceptions.h"
#include "HvHandles.h"
#include "HvLXFiles.h"
#include "HvLXStrings.h"

namespace {

using hvtest::ScratchDir;

// A folder path below `base` of exactly `length` characters.
std::wstring FolderOfLength(const std::wstring& base, std::size_t length) {
  std::wstring path = base;
  while (path.size() + 1 < length) {
    const std::size_t segment = std::min<std::size_t>(60, length - path.size() - 1);
    path += L"\\" + std::wstring(segment, L's');
  }
  return path;
}

template <class E, class F>
std::wstring MessageOf(F&& call) {
  try {
    call();
  } catch (const E& e) {
    return e.Message();
  }
  return L"<no exception>";
}

// The whole life of a file in a folder at and past the length where the long form begins,
// with non-ASCII names: without the long form the folder calls fail past 248 characters.
TEST(FileOps, LongAndNonAsciiPathsWorkEndToEnd) {
  ScratchDir dir;
  const std::wstring nonAscii = dir / L"\u00dcml\u00e4ut \u65e5\u672c";
  const std::wstring folders[] = {FolderOfLength(dir.Path(), 248), FolderOfLength(dir.Path(), 249),
                                  FolderOfLength(dir.Path(), 300), FolderOfLength(nonAscii, 320)};
  for (const std::wstring& folder : folders) {
    SCOPED_TRACE(testing::Message() << "length " << folder.size());
    ASSERT_NO_THROW(hv::ForceDirectoriesLX(folder + L"\\"));
    EXPECT_TRUE(hv::DirExistsLX(folder, true));
    const std::wstring file = folder + L"\\f\u00e9.txt";
    {
      hv::UniqueFileHandle created(hv::FileCreateLX(file, 0, 0));
      ASSERT_TRUE(created.valid()) << GetLastError();
    }
    EXPECT_TRUE(hv::FileExistsLX(file, true));
    EXPECT_EQ(hv::FileGetAttrLX(file, true) & hv::faDirectory, 0);
    {
      hv::UniqueFileHandle opened(hv::FileOpenLX(file, 0x20));  // read, deny write
      EXPECT_TRUE(opened.valid());
      hv::UniqueFileHandle writer(hv::FileOpenLX(file, 0x41));  // write, deny none
      EXPECT_FALSE(writer.valid());
      EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
    }
    EXPECT_EQ(hv::FileSetAttrLX(file, FILE_ATTRIBUTE_READONLY, false), 0);
    EXPECT_NO_THROW(hv::DeleteFileStrictLX(file));
    EXPECT_FALSE(hv::FileExistsLX(file, true));
    EXPECT_TRUE(hv::RemoveDirLX(folder));
    EXPECT_FALSE(hv::DirExistsLX(folder, true));
  }
}

TEST(FileOps, ReadOnlyFilesAndFolders) {
  ScratchDir dir;
  const std::wstring file = dir / L"ro.txt";
  const std::wstring folder = dir / L"rodir";
  ASSERT_TRUE(hvtest::WriteTextFile(file, "x"));
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  for (const std::wstring& path : {file, folder}) {
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY | GetFileAttributesW(path.c_str())));
    hv::ClearReadOnlyLX(path);
    EXPECT_EQ(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << path.c_str();
  }
  EXPECT_NO_THROW(hv::ClearReadOnlyLX(dir / L"missing"));

  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
  hv::DeleteFileIfExistsLX(file);
  EXPECT_FALSE(hvtest::PathExists(file));
  EXPECT_NO_THROW(hv::DeleteFileIfExistsLX(file));
}

TEST(FileOps, FileHeldOpenIsNotDeletedAndTheErrorSaysWhy) {
  ScratchDir dir;
  const std::wstring file = dir / L"held.txt";
  ASSERT_TRUE(hvtest::WriteTextFile(file, "x"));
  hv::UniqueFileHandle held(
      CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held.valid());

  EXPECT_FALSE(hv::DeleteFileLX(file));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
  const std::wstring message = MessageOf<hv::Exception>([&] { hv::DeleteFileStrictLX(file); });
  EXPECT_TRUE(message.starts_with(L"Could not delete \"" + file + L"\"\r\n\r\nSystem Error.  Code: 32.\r\n"))
      << message.c_str();
  EXPECT_TRUE(hvtest::PathExists(file));
}

TEST(FileOps, FolderCreationFailures) {
  ScratchDir dir;
  const std::wstring file = dir / L"plain.txt";
  ASSERT_TRUE(hvtest::WriteTextFile(file, "x"));
  // A file stands where a folder of the chain should be.
  EXPECT_EQ(MessageOf<hv::EHvGeneralError>([&] { hv::ForceDirectoriesLX(file + L"\\sub"); }),
            L"Could not create \"" + file + L"\\sub\"");
  EXPECT_EQ(MessageOf<hv::Exception>([] { hv::ForceDirectoriesLX(L"\\"); }),
            L"Could not create \"\\\"\r\n\r\nUnable to create directory");
  EXPECT_NO_THROW(hv::ForceDirectoriesLX(L"C:\\"));
}

// The handle that is renamed is the one that was opened, to a short plain name and to a
// long-form name past MAX_PATH; a name that is taken is never replaced.
TEST(FileOps, RenameByHandleMovesWhatWasOpened) {
  ScratchDir dir;
  const std::wstring deep = FolderOfLength(dir.Path(), 300);
  hv::ForceDirectoriesLX(deep);
  const std::wstring source = dir / L"source.txt";
  ASSERT_TRUE(hvtest::WriteTextFile(source, "moved"));
  ASSERT_TRUE(hvtest::WriteTextFile(dir / L"taken.txt", "stays"));
  hv::UniqueFileHandle file(CreateFileW(source.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  ASSERT_TRUE(file.valid());

  EXPECT_FALSE(hv::RenameByHandle(file.get(), dir / L"taken.txt"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  EXPECT_TRUE(hv::RenameByHandle(file.get(), dir / L"renamed.txt")) << GetLastError();
  const std::wstring longTarget = hv::LongFileName(deep + L"\\moved.txt");
  EXPECT_TRUE(hv::RenameByHandle(file.get(), longTarget)) << GetLastError();
  file.reset();

  EXPECT_FALSE(hvtest::PathExists(source));
  EXPECT_FALSE(hvtest::PathExists(dir / L"renamed.txt"));
  EXPECT_TRUE(hv::FileExistsLX(longTarget, false));
  EXPECT_TRUE(hv::FileExistsLX(dir / L"taken.txt", false));
}

// By Wine's own export; the library's host detection is not built yet.
bool RunsUnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// The final path of a handle is read at whatever length it has. Past MAX_PATH Wine names
// nothing (callers then judge by volume identity); everywhere else the name is whole.
TEST(FileOps, FinalPathOfAHandleAtAnyLength) {
  ScratchDir dir;
  const std::wstring deep = FolderOfLength(dir.Path(), 300);
  hv::ForceDirectoriesLX(deep);
  for (const std::wstring& folder : {dir.Path(), deep}) {
    SCOPED_TRACE(testing::Message() << "length " << folder.size());
    hv::UniqueFileHandle handle(CreateFileW(hv::LongFileName(folder).c_str(), 0,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(handle.valid());
    const std::optional<std::wstring> finalPath = hv::FinalPathOfHandle(handle.get());
    if (!finalPath && folder.size() > MAX_PATH && RunsUnderWine()) continue;
    ASSERT_TRUE(finalPath.has_value()) << GetLastError();
    EXPECT_TRUE(finalPath->starts_with(L"\\\\?\\")) << *finalPath;
    const std::wstring tail = folder.substr(dir.Path().size());
    EXPECT_TRUE(hv::EndsTextLX(tail, *finalPath)) << *finalPath;
    EXPECT_EQ(hv::RealIdentityOfHandle(handle.get()), hv::ExcludeTrailingBackslashLX(*finalPath));
  }
}

TEST(FileOps, TimeStampsAreLocalTimesOfEachKind) {
  ScratchDir dir;
  const std::wstring file = dir / L"t.txt";
  ASSERT_TRUE(hvtest::WriteTextFile(file, "x"));
  // 05:06:07 local time on 4, 5 and 6 March 2021 for the three times.
  auto at = [](WORD day) {
    SYSTEMTIME local{2021, 3, 0, day, 5, 6, 7, 0};
    FILETIME localFt, utc;
    SystemTimeToFileTime(&local, &localFt);
    LocalFileTimeToFileTime(&localFt, &utc);
    return utc;
  };
  FILETIME created = at(4), accessed = at(5), written = at(6);
  {
    hv::UniqueFileHandle h(CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(SetFileTime(h.get(), &created, &accessed, &written));
  }
  const double march4 = 44259 + (5 * 3600 + 6 * 60 + 7) / 86400.0;  // days since 1899-12-30
  // The host file system keeps no creation time of its own, so only the other two are pinned.
  EXPECT_NEAR(hv::GetFileTimeStampLX(file, hv::ftstLastAccessDateTime), march4 + 1, 1e-6);
  EXPECT_NEAR(hv::GetFileTimeStampLX(file, hv::ftstTimeStamp), march4 + 2, 1e-6);

  try {
    hv::GetFileTimeStampLX(dir / L"missing", hv::ftstTimeStamp);
    FAIL() << "no exception";
  } catch (const hv::EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), 2u);
  }
}

TEST(ProgramFiles, ThirtyTwoBitViewAndFallback) {
  EXPECT_EQ(hv::GetProgramFilesFolder(), L"C:\\Program Files (x86)");
  hv::FilePlatform none;
  none.GetSpecialFolderPath = [](HWND, wchar_t* buffer, int) {
    buffer[0] = L'\0';
    return FALSE;
  };
  hv::ScopedFilePlatform scope(none);
  EXPECT_EQ(hv::GetProgramFilesFolder(), L"C:\\Program Files");
  EXPECT_TRUE(hv::DirExistsLX(L"C:\\Program Files", true));
}

}  // namespace
