#include <gtest/gtest.h>

#include <vector>

#include "HvHostLinks.h"
#include "HvExceptions.h"
#include "HvLXFiles.h"
#include "HvLXHost.h"

namespace {

using hvtest::ScratchDir;

// What the shell was asked, and what it answers.
struct ShellCall {
  std::wstring from, to, title;
  bool fromListEnds = false;
  FILEOP_FLAGS flags = 0;
  UINT func = 0;
};

hv::FilePlatform ShellAnswering(int result, bool aborted, ShellCall* seen = nullptr) {
  hv::FilePlatform fake;
  fake.ShellFileOperation = [=](SHFILEOPSTRUCTW* op) {
    if (seen) {
      seen->from = op->pFrom;
      seen->fromListEnds = op->pFrom[seen->from.size() + 1] == L'\0';
      seen->to = op->pTo;
      seen->title = op->lpszProgressTitle;
      seen->flags = op->fFlags;
      seen->func = op->wFunc;
    }
    op->fAnyOperationsAborted = aborted;
    return result;
  };
  return fake;
}

TEST(ShellFileOperation, FailuresBecomeExceptionsWithTheRawResult) {
  struct Case {
    int result;
    bool aborted;
    std::uint16_t flags;
    std::wstring to;
    std::wstring message;  // empty: the silent abort
    std::wstring extra;
  } cases[] = {
      {0x7E, false, 0x414, L"", L"The destination path is an e\r\n  File: C:\\src",
       L"FileOpResult = 0x0000007E\r\nFileOp.fAnyOperationsAborted = False"},
      {0x10074, false, 0x414, L"D:\\dst", L"Destination is a root directory and cannot be renamed.\r\n  From: C:\\src\r\n  To: D:\\dst",
       L"FileOpResult = 0x00010074\r\nFileOp.fAnyOperationsAborted = False"},
      {0, true, 0x414, L"", L"The file operation was aborted.\r\n  File: C:\\src",
       L"FileOpResult = 0x00000000\r\nFileOp.fAnyOperationsAborted = True"},
      {0x4C7, true, 0x414, L"", L"The file operation was aborted.\r\n  File: C:\\src",
       L"FileOpResult = 0x000004C7\r\nFileOp.fAnyOperationsAborted = True"},
      {0x4C7, false, 0x414, L"", L"An unknown error occurred.\r\n  File: C:\\src",
       L"FileOpResult = 0x000004C7\r\nFileOp.fAnyOperationsAborted = False"},
      {0x75, true, 0x40, L"", L"", L""},  // the user said no to a confirmation
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    hv::ScopedFilePlatform scope(ShellAnswering(c.result, c.aborted));
    try {
      hv::ShellFileOperation(nullptr, hv::kFoDelete, L"C:\\src", c.to, c.flags, L"");
      ADD_FAILURE() << "case " << i << ": no exception";
    } catch (const hv::EExtraInfoException& e) {
      EXPECT_EQ(e.Message(), c.message) << "case " << i;
      EXPECT_EQ(e.ExtraInfo(), c.extra) << "case " << i;
    } catch (const hv::EAbort&) {
      EXPECT_TRUE(c.message.empty()) << "case " << i;
    }
  }
  hv::ScopedFilePlatform success(ShellAnswering(0, false));
  EXPECT_NO_THROW(hv::ShellFileOperation(nullptr, hv::kFoDelete, L"C:\\src", L"", 0x414, L""));
}

TEST(ShellFileOperation, ErrorTextsIncludingTheCutOffOnes) {
  EXPECT_EQ(hv::ShellFileOperationErrorText(0x80), L"The destination path is an e");
  EXPECT_EQ(hv::ShellFileOperationErrorText(0x79), L"The source or destination path e");
  EXPECT_EQ(hv::ShellFileOperationErrorText(0x81), L"The name of the file e");
  EXPECT_EQ(hv::ShellFileOperationErrorText(0xB7), L"MAX_PATH was exceeded during the operation.");
  for (int unknown : {0, 0x77, 0x7B, 0x7F, 0x401, 0x10001}) EXPECT_EQ(hv::ShellFileOperationErrorText(unknown), L"");
}

TEST(ShellDeletePath, HandsTheShellAFolderWithoutItsTrailingBackslash) {
  ScratchDir dir;
  const std::wstring folder = dir / L"sub";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ShellCall seen;
  hv::ScopedFilePlatform scope(ShellAnswering(0, false, &seen));
  hv::ShellDeletePath(folder + L"\\", 0x50, L"Removing");
  EXPECT_EQ(seen.from, folder);
  EXPECT_TRUE(seen.fromListEnds);
  EXPECT_EQ(seen.to, L"");
  EXPECT_EQ(seen.title, L"Removing");
  EXPECT_EQ(seen.flags, 0x50);
  EXPECT_EQ(seen.func, UINT(FO_DELETE));
}

TEST(ShellDeletePath, DeletesTreesAndFilesForReal) {
  ScratchDir dir;
  for (std::uint16_t flags : {std::uint16_t(0x414), std::uint16_t(0x454)}) {
    const std::wstring tree = dir / L"tree";
    ASSERT_NO_THROW(hv::ForceDirectoriesLX(tree + L"\\a\\b"));
    ASSERT_TRUE(hvtest::WriteTextFile(tree + L"\\a\\b\\f.txt", "x"));
    ASSERT_TRUE(hvtest::WriteTextFile(tree + L"\\top.txt", "x"));
    hv::ShellDeletePath(tree, flags, L"");
    EXPECT_FALSE(hv::DirExistsLX(tree, true)) << flags;

    const std::wstring file = dir / L"single.txt";
    ASSERT_TRUE(hvtest::WriteTextFile(file, "x"));
    hv::ShellDeletePath(file, flags, L"");
    EXPECT_FALSE(hvtest::PathExists(file)) << flags;
  }
}

// Under Wine the Recycle Bin is the host trash, which the test scripts keep inside the
// build tree.
TEST(ShellDeletePath, AllowUndoMovesTheFolderToTheRecycleBin) {
  char* dataHome = getenv("XDG_DATA_HOME");
  ASSERT_NE(dataHome, nullptr);
  const std::wstring trashFiles = filestest::DosPath(std::string(dataHome) + "/Trash/files");
  ASSERT_FALSE(trashFiles.empty());

  ScratchDir dir;
  const std::wstring name = L"recycled_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                            std::to_wstring(GetTickCount());
  const std::wstring folder = dir / name;
  ASSERT_NO_THROW(hv::ForceDirectoriesLX(folder + L"\\inner"));
  ASSERT_TRUE(hvtest::WriteTextFile(folder + L"\\inner\\f.txt", "x"));

  hv::ShellDeletePath(folder, 0x50, L"");
  EXPECT_FALSE(hvtest::PathExists(folder));
  const std::wstring recycled = trashFiles + L"\\" + name;
  EXPECT_TRUE(hvtest::PathExists(recycled + L"\\inner\\f.txt"));
  hv::DeletePathLX(recycled, false);
  EXPECT_FALSE(hvtest::PathExists(recycled));
}

// Marks the listed folders as junctions: Wine makes no real ones. A folder marked so must be
// empty here, since removing it as a link is RemoveDirectoryW.
hv::FilePlatform ListingAsJunctions(std::vector<std::wstring> junctions) {
  hv::FilePlatform fake;
  fake.AdjustListedEntry = [junctions](const std::wstring& path, WIN32_FIND_DATAW& data) {
    for (const std::wstring& j : junctions) {
      if (_wcsicmp(hv::LongFileName(j).c_str(), path.c_str()) != 0) continue;
      data.dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
      data.dwReserved0 = IO_REPARSE_TAG_MOUNT_POINT;
    }
  };
  return fake;
}

// A junction is removed as a link before the shell sees the tree. When the path to delete
// is itself one, that removal is the whole deletion: the shell is not asked about a path
// that no longer exists, which used to fail a deletion that had in fact succeeded.
TEST(ShellDeletePath, JunctionsGoAsLinksAndARootJunctionIsTheWholeDeletion) {
  ScratchDir dir;
  const std::wstring tree = dir / L"tree", nested = tree + L"\\junction", root = dir / L"root-junction";
  ASSERT_NO_THROW(hv::ForceDirectoriesLX(nested));
  ASSERT_TRUE(hvtest::WriteTextFile(tree + L"\\own.txt", "x"));
  ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
  hv::ScopedFilePlatform junctions(ListingAsJunctions({nested, root}));
  ASSERT_EQ(hv::ClassifyLink(root), hv::TLinkKind::RemovableLink);

  for (std::uint16_t flags : {std::uint16_t(0x50), std::uint16_t(0x414)}) {
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    EXPECT_NO_THROW(hv::ShellDeletePath(root, flags, L"")) << flags;
    EXPECT_FALSE(hvtest::PathExists(root)) << flags;
  }
  ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
  EXPECT_NO_THROW(hv::DeletePathLX(root, true));
  EXPECT_FALSE(hvtest::PathExists(root));

  hv::ShellDeletePath(tree, 0x414, L"");
  EXPECT_FALSE(hvtest::PathExists(tree));
}

TEST(DeletePathLX, NeverReportsFailure) {
  ScratchDir dir;
  EXPECT_NO_THROW(hv::DeletePathLX(dir / L"missing", false));
  EXPECT_NO_THROW(hv::DeletePathLX(dir / L"missing", true));

  const std::wstring tree = dir / L"tree";
  ASSERT_NO_THROW(hv::ForceDirectoriesLX(tree + L"\\a"));
  {
    hv::ScopedFilePlatform refusing(ShellAnswering(0x78, false));
    hv::ScopedHostPins windows({.wine = false});
    EXPECT_NO_THROW(hv::DeletePathLX(tree, false));
    EXPECT_TRUE(hv::DirExistsLX(tree, true));
  }
  {
    // Under Wine the host's rm -rf takes over when the shell fails.
    hv::ScopedFilePlatform refusing(ShellAnswering(0x78, false));
    EXPECT_NO_THROW(hv::DeletePathLX(tree, false));
    EXPECT_FALSE(hvtest::PathExists(tree));
  }
}

TEST(RemoveNonEmptyDir, RemovesTheTreeThroughTheHostShellOnlyUnderWine) {
  ScratchDir dir;
  const std::wstring tree = dir / L"tree";
  ASSERT_NO_THROW(hv::ForceDirectoriesLX(tree + L"\\a\\b"));
  ASSERT_TRUE(hvtest::WriteTextFile(tree + L"\\a\\b\\f.txt", "x"));
  hv::RemoveNonEmptyDir(tree + L"\\");
  EXPECT_FALSE(hvtest::PathExists(tree));
  EXPECT_THROW(hv::RemoveNonEmptyDir(L"C:\\"), hv::EHvGeneralError);
  EXPECT_TRUE(hvtest::PathExists(L"C:\\windows"));

  hv::ScopedHostPins windows({.wine = false});
  try {
    hv::RemoveNonEmptyDir(dir.Path());
    FAIL() << "no exception";
  } catch (const hv::EHvInternalError& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: Can only run script under Wine.");
  }
  EXPECT_TRUE(hvtest::PathExists(dir.Path()));
}

}  // namespace
