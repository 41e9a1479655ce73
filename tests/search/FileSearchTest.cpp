#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "HvHostLinks.h"
#include "HvExceptions.h"
#include "HvLXFileSearch.h"
#include "HvLXFiles.h"
#include "HvLXHost.h"
#include "HvLXVersion.h"
#include "HvStringList.h"

namespace {

using hvtest::ScratchDir;

std::vector<std::wstring> Items(const hv::TStrings& list) {
  std::vector<std::wstring> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list[i]);
  return out;
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> items) {
  std::sort(items.begin(), items.end());
  return items;
}

void MakeFolder(const std::wstring& path, DWORD attrs = 0) {
  ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << GetLastError();
  if (attrs) {
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), attrs));
  }
}

void MakeFile(const std::wstring& path, DWORD attrs = 0) {
  ASSERT_TRUE(hvtest::WriteTextFile(path, "x"));
  if (attrs) {
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), attrs));
  }
}

hv::HostPins WinePinned(bool wine) {
  hv::HostPins pins;
  pins.wine = wine;
  return pins;
}

// a.txt, b.log, S\c.txt, S\T\d.txt
struct SmallTree {
  SmallTree() {
    MakeFile(Dir / L"a.txt");
    MakeFile(Dir / L"b.log");
    MakeFolder(Dir / L"S");
    MakeFile(Dir / L"S\\c.txt");
    MakeFolder(Dir / L"S\\T");
    MakeFile(Dir / L"S\\T\\d.txt");
  }
  ScratchDir Dir;
};

// Counts polls; raises EAbort at poll number `abortAt` (0: never).
struct CountingFlash : hv::IFlashCore {
  explicit CountingFlash(int abortAt = 0) : AbortAt(abortAt) {}
  void CheckCancel() override {
    if (++Polls == AbortAt) throw hv::EAbort(L"stop");
  }
  int AbortAt;
  int Polls = 0;
};

TEST(FindFilesLX, FilesOfTheFolderThenOfEachSubFolderTree) {
  SmallTree tree;
  const std::wstring d = tree.Dir.Path();
  hv::THvStringList list{L"stale"};

  // With and without the trailing backslash, and in the long form past the path limit.
  for (const std::wstring& folder : {d, d + L"\\"}) {
    hv::FindFilesLX(folder, list, L"*.*", false, false);
    EXPECT_EQ(Sorted(Items(list)), (std::vector<std::wstring>{d + L"\\a.txt", d + L"\\b.log"}));

    hv::FindFilesLX(folder, list, L"*.*", true, false);
    const std::vector<std::wstring> all = Items(list);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(Sorted({all[0], all[1]}), (std::vector<std::wstring>{d + L"\\a.txt", d + L"\\b.log"}));
    EXPECT_EQ(all[2], d + L"\\S\\c.txt");
    EXPECT_EQ(all[3], d + L"\\S\\T\\d.txt");

    hv::FindFilesLX(folder, list, L"*.txt", true, false);
    EXPECT_EQ(Items(list), (std::vector<std::wstring>{d + L"\\a.txt", d + L"\\S\\c.txt", d + L"\\S\\T\\d.txt"}));

    hv::FindFilesLX(folder, list, L"*.none", true, false);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.UpdateCount(), 0);
  }
}

TEST(FindFoldersLX, ParentsBeforeChildrenAppendedToTheList) {
  SmallTree tree;
  const std::wstring d = tree.Dir.Path();
  MakeFolder(d + L"\\S\\U");
  MakeFolder(d + L"\\S\\T\\V");

  hv::THvStringList list;
  hv::FindFilesLX(d, list, L"*.*", false, false);
  ASSERT_EQ(list.Count(), 2);
  hv::FindFoldersLX(d + L"\\", list, false, false);
  EXPECT_EQ(Items(list).back(), d + L"\\S");
  EXPECT_EQ(list.Count(), 3);  // the files stay in front

  hv::ListFoldersLX(d, list, true, false);
  const std::vector<std::wstring> all = Items(list);
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0], d + L"\\S");
  // Siblings come in the platform's order; each is followed by its own sub-folders.
  const auto t = std::find(all.begin(), all.end(), d + L"\\S\\T");
  ASSERT_NE(t, all.end());
  EXPECT_EQ(*(t + 1), d + L"\\S\\T\\V");
  EXPECT_NE(std::find(all.begin(), all.end(), d + L"\\S\\U"), all.end());
}

TEST(FileSearch, HiddenAndSystemFilesAreFoundButSuchFoldersAreNot) {
  ScratchDir dir;
  MakeFile(dir / L"hidden.txt", FILE_ATTRIBUTE_HIDDEN);
  MakeFile(dir / L"system.txt", FILE_ATTRIBUTE_SYSTEM);
  MakeFile(dir / L"readonly.txt", FILE_ATTRIBUTE_READONLY);
  MakeFolder(dir / L"HiddenFolder", FILE_ATTRIBUTE_HIDDEN);
  MakeFolder(dir / L"SystemFolder", FILE_ATTRIBUTE_SYSTEM);
  MakeFile(dir / L"HiddenFolder\\inner.txt");
  MakeFolder(dir / L"Plain");

  hv::THvStringList list;
  hv::FindFilesLX(dir.Path(), list, L"*.*", false, false);
  EXPECT_EQ(Sorted(Items(list)),
            (std::vector<std::wstring>{dir / L"hidden.txt", dir / L"readonly.txt", dir / L"system.txt"}));
  // Recursion walks only the folders that a folder search finds.
  hv::FindFilesLX(dir.Path(), list, L"inner.txt", true, false);
  EXPECT_EQ(list.Count(), 0);

  hv::ListFoldersLX(dir.Path(), list, true, false);
  EXPECT_EQ(Items(list), std::vector<std::wstring>{dir / L"Plain"});
  SetFileAttributesW((dir / L"readonly.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FindFoldersLX, UnderWineFoldersNamedWithALeadingForbiddenCharacterAreSkipped) {
  ScratchDir dir;
  // Only the host can make such names.
  filestest::RunHostScript("cd " + filestest::ShellQuote(filestest::HostPath(dir.Path())) +
                           " && mkdir -p ':lead/inside' '?ask' 'mid:dle/inside' && touch ':file'");
  const std::wstring d = dir.Path();

  hv::THvStringList list;
  {
    hv::ScopedHostPins wine(WinePinned(true));
    hv::ListFoldersLX(d, list, true, false);
    EXPECT_EQ(Items(list), (std::vector<std::wstring>{d + L"\\mid:dle", d + L"\\mid:dle\\inside"}));
    hv::FindFilesLX(d, list, L"*", true, false);
    EXPECT_EQ(Items(list), std::vector<std::wstring>{d + L"\\:file"});  // the rule is for folders only
  }
  hv::ScopedHostPins windows(WinePinned(false));
  hv::ListFoldersLX(d, list, false, false);
  EXPECT_EQ(list.Count(), 3);
  filestest::RunHostScript("rm -rf " + filestest::ShellQuote(filestest::HostPath(d)) + "/*");
}

TEST(FileSearch, LongAndNonAsciiPathsComeBackAsGiven) {
  ScratchDir dir;
  std::wstring deep = dir.Path();
  while (deep.size() < 300) {
    deep += L"\\" + std::wstring(40, L'd');
    hv::ForceDirectoriesLX(deep);
  }
  const std::wstring name = L"\u00e9t\u00e9 \u65e5\u672c \u0416.txt";
  ASSERT_TRUE(hvtest::WriteTextFile(hv::LongFileName(deep + L"\\" + name), "x"));

  hv::THvStringList list;
  hv::FindFilesLX(dir.Path(), list, L"*.txt", true, false);
  EXPECT_EQ(Items(list), std::vector<std::wstring>{deep + L"\\" + name});
  hv::ListFoldersLX(dir.Path(), list, true, false);
  EXPECT_EQ(Items(list).back(), deep);
}

TEST(FileSearch, MissingFolderIsNamedWithATrailingBackslash) {
  hv::ScopedHostPins windows(WinePinned(false));  // under Wine the host path is shown
  ScratchDir dir;
  const std::wstring missing = dir / L"missing";
  hv::THvStringList list{L"kept"};
  try {
    hv::FindFoldersLX(missing, list, true, true);
    FAIL() << "no exception";
  } catch (const hv::Exception& e) {
    EXPECT_EQ(e.ClassName(), L"Exception");
    EXPECT_EQ(e.Message(), L"Directory \"" + missing + L"\\\" doesn't exist.");
  }
  EXPECT_EQ(list.Count(), 1);
  EXPECT_THROW(hv::FindFilesLX(missing, list, L"*.*", false, true), hv::Exception);
  EXPECT_EQ(list.Count(), 0);  // cleared before the check
  EXPECT_EQ(list.UpdateCount(), 0);
}

// Answers `code` for opening any listing under `failing`, the real listing elsewhere.
hv::FilePlatform ListingFailsUnder(const std::wstring& failing, DWORD code) {
  hv::FilePlatform fake;
  const auto real = hv::RealFilePlatform().FindFirstFileEx;
  fake.FindFirstFileEx = [=](const wchar_t* path, FINDEX_INFO_LEVELS level, WIN32_FIND_DATAW* data,
                             FINDEX_SEARCH_OPS search, DWORD flags) {
    if (std::wstring(path).starts_with(failing)) {
      SetLastError(code);
      return INVALID_HANDLE_VALUE;
    }
    return real(path, level, data, search, flags);
  };
  return fake;
}

TEST(FileSearch, RefusedListingsAreSkippedOnRequestOtherErrorsNameThePath) {
  SmallTree tree;
  const std::wstring d = tree.Dir.Path();
  struct Case {
    DWORD code;
    bool ignoreAccessDenied;
    bool raises;
  } cases[] = {
      {ERROR_ACCESS_DENIED, true, false},
      {ERROR_ACCESS_DENIED, false, true},
      {ERROR_PATH_NOT_FOUND, false, false},  // vanished since the existence check
      {ERROR_FILE_NOT_FOUND, false, false},
      {ERROR_NO_MORE_FILES, false, false},
      {ERROR_INVALID_NAME, true, true},
      {ERROR_SHARING_VIOLATION, true, true},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    hv::ScopedFilePlatform scope(ListingFailsUnder(d + L"\\S\\", c.code));
    hv::THvStringList list;
    try {
      hv::FindFilesLX(d, list, L"*.txt", true, c.ignoreAccessDenied);
      EXPECT_FALSE(c.raises) << "case " << i;
    } catch (const hv::EOSError& e) {
      EXPECT_TRUE(c.raises) << "case " << i;
      EXPECT_EQ(e.ErrorCode(), c.code) << "case " << i;
      EXPECT_TRUE(e.Message().ends_with(L"\r\n\r\nPath: " + d + L"\\S\\*.txt")) << "case " << i;
    }
    // What was found before the failing folder stays, and the update bracket is closed.
    EXPECT_EQ(Items(list), std::vector<std::wstring>{d + L"\\a.txt"}) << "case " << i;
    EXPECT_EQ(list.UpdateCount(), 0) << "case " << i;
  }
}

TEST(FileSearch, PollsOncePerReportedEntryAndKeepsWhatItFoundOnCancel) {
  ScratchDir dir;
  for (const wchar_t* name : {L"1", L"2", L"3"}) MakeFolder(dir / name);
  for (const wchar_t* name : {L"f1", L"f2"}) MakeFile(dir / name);

  CountingFlash count;
  hv::THvStringList list;
  hv::FindFoldersLX(dir.Path(), list, false, false, &count);
  EXPECT_EQ(count.Polls, 7);  // ".", "..", the files and the folders
  EXPECT_EQ(list.Count(), 3);

  CountingFlash cancel(2);
  hv::FindFilesLX(dir.Path(), list, L"*.*", false, false, &count);
  EXPECT_THROW(hv::FindFilesLX(dir.Path(), list, L"*.*", false, false, &cancel), hv::EAbort);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.UpdateCount(), 0);
}

TEST(FindFirstLX, RecordFieldsAndClosing) {
  ScratchDir dir;
  ASSERT_TRUE(hvtest::WriteTextFile(dir / L"five.bin", "12345"));
  MakeFile(dir / L"hidden.bin", FILE_ATTRIBUTE_HIDDEN);

  hv::TSearchRecLX search;
  ASSERT_EQ(hv::FindFirstLX(dir / L"*.bin", 0, search, false, false), 0);
  EXPECT_EQ(search.Name, L"five.bin");
  EXPECT_EQ(search.Size, 5);
  EXPECT_FALSE(hv::IsRealFolder(search));
  EXPECT_GT(search.Time, 0);
  EXPECT_TRUE(search.FindHandle.valid());
  EXPECT_EQ(hv::FindNextLX(search), ERROR_NO_MORE_FILES);  // the hidden one is excluded
  EXPECT_FALSE(search.FindHandle.valid());
  EXPECT_EQ(hv::FindNextLX(search), ERROR_NO_MORE_FILES);
  hv::FindCloseLX(search);

  EXPECT_EQ(hv::FindFirstLX(dir / L"hidden.bin", 0, search, false, false), ERROR_NO_MORE_FILES);
  EXPECT_FALSE(search.FindHandle.valid());
  EXPECT_EQ(hv::FindFirstLX(dir / L"none.*", hv::faAnyFile, search, false, false), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(hv::FindFirstLX(dir / L"none\\*.*", hv::faAnyFile, search, false, false), ERROR_PATH_NOT_FOUND);

  ASSERT_EQ(hv::FindFirstLX(dir / L"*", hv::faDirectory, search, false, false), 0);
  int realFolders = 0, dots = 0;
  do {
    realFolders += hv::IsRealFolder(search);
    dots += search.Name == L"." || search.Name == L"..";
  } while (hv::FindNextLX(search) == 0);
  EXPECT_EQ(realFolders, 0);
  EXPECT_EQ(dots, 2);
  hv::FindCloseLX(search);
  hv::FindCloseLX(search);
}

TEST(FindFirstLX, BasicLargeFetchListingOnlyOnWindows10OutsideWine) {
  ScratchDir dir;
  MakeFile(dir / L"f");
  struct Seen {
    FINDEX_INFO_LEVELS level;
    FINDEX_SEARCH_OPS search;
    DWORD flags;
  } seen{};
  hv::FilePlatform recording;
  recording.FindFirstFileEx = [&seen](const wchar_t* path, FINDEX_INFO_LEVELS level, WIN32_FIND_DATAW* data,
                                      FINDEX_SEARCH_OPS search, DWORD flags) {
    seen = {level, search, flags};
    return hv::RealFilePlatform().FindFirstFileEx(path, level, data, search, flags);
  };
  hv::ScopedFilePlatform scope(recording);
  hv::TSearchRecLX search;

  {
    hv::ScopedHostPins wine(WinePinned(true));
    ASSERT_EQ(hv::FindFirstLX(dir / L"*", hv::faAnyFile, search, false, true), 0);
    EXPECT_EQ(seen.level, FindExInfoStandard);
    EXPECT_EQ(seen.search, FindExSearchNameMatch);
    EXPECT_EQ(seen.flags, 0u);
  }
  if (!hv::IsWin10OrLater()) GTEST_SKIP() << "the system reports a Windows before 10";
  hv::ScopedHostPins windows(WinePinned(false));
  for (bool limit : {false, true}) {
    ASSERT_EQ(hv::FindFirstLX(dir / L"*", hv::faAnyFile, search, false, limit), 0);
    EXPECT_EQ(seen.level, FindExInfoBasic);
    EXPECT_EQ(seen.search, limit ? FindExSearchLimitToDirectories : FindExSearchNameMatch);
    EXPECT_EQ(seen.flags, static_cast<DWORD>(FIND_FIRST_EX_LARGE_FETCH));
  }
}

}  // namespace
