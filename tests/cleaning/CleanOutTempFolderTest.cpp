#include <gtest/gtest.h>

#include <algorithm>
#include <vector>
#include <shlobj.h>

#include "CleaningTestSupport.h"
#include "HvHostLinks.h"
#include "HvExceptions.h"
#include "HvLXFiles.h"
#include "HvTempFolderCleaning.h"

namespace {

using cleaningtest::EntryNames;

using cleaningtest::ProgressSeen;
using cleaningtest::RecycledAs;
using cleaningtest::WatchingDisplay;
using hvtest::PathExists;
using hvtest::ScratchDir;

bool Exists(const std::wstring& path) { return PathExists(hv::LongFileName(path)); }

void MakeFolder(const std::wstring& path, DWORD attrs = 0) {
  hv::ForceDirectoriesLX(path);
  if (attrs) {
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), attrs));
  }
}

void MakeFile(const std::wstring& path, const std::string& text = "x", DWORD attrs = 0) {
  ASSERT_TRUE(hvtest::WriteTextFile(hv::LongFileName(path), text)) << GetLastError();
  if (attrs) {
    ASSERT_TRUE(SetFileAttributesW(hv::LongFileName(path).c_str(), attrs));
  }
}

std::string ReadFile(const std::wstring& path) {
  hv::UniqueFileHandle file(CreateFileW(hv::LongFileName(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
  std::string text(64, '\0');
  DWORD read = 0;
  if (!file || !::ReadFile(file.get(), text.data(), 64, &read, nullptr)) return {};
  text.resize(read);
  return text;
}

// Names unique to this run, so the shared Recycle Bin tells our entries apart (Wine gives
// out the same process ids again and again).
std::wstring Unique(const std::wstring& name) {
  static const unsigned long long run = [] {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<unsigned long long>(now.dwHighDateTime) << 32 | now.dwLowDateTime) / 10000 % 100000000;
  }();
  static int counter = 0;
  return std::to_wstring(run) + L"-" + std::to_wstring(++counter) + L"-" + name;
}


// Whatever the cleaning left in `folder`, its own staging folders included.
int EntriesLeft(const std::wstring& folder) { return static_cast<int>(EntryNames(folder).size()); }

// Whether the folder lists an entry of that name (under Wine a dangling link is not listed).
bool Listed(const std::wstring& folder, const std::wstring& name) {
  const std::vector<std::wstring> names = EntryNames(folder);
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Three files (one hidden, one system), a folder with nested contents, a plain folder and a
// hidden folder that the cleaning does not list.
struct TempFolder {
  TempFolder() {
    for (const std::wstring& f : Files) MakeFile(Dir / f, "content of " + std::string(f.begin(), f.end()));
    SetFileAttributesW((Dir / Files[1]).c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW((Dir / Files[2]).c_str(), FILE_ATTRIBUTE_SYSTEM);
    MakeFolder(Dir / Folders[0] + L"\\deeper\\deepest");
    MakeFile(Dir / Folders[0] + L"\\deeper\\deepest\\nested.txt", "nested");
    MakeFolder(Dir / Folders[1]);
    MakeFolder(Dir / HiddenFolder, FILE_ATTRIBUTE_HIDDEN);
  }
  int FilesLeft() const {
    return static_cast<int>(std::count_if(Files.begin(), Files.end(), [&](auto& f) { return Exists(Dir / f); }));
  }
  int FoldersLeft() const {
    return static_cast<int>(std::count_if(Folders.begin(), Folders.end(), [&](auto& f) { return Exists(Dir / f); }));
  }

  ScratchDir Dir;
  std::vector<std::wstring> Files{Unique(L"a.txt"), Unique(L"hidden.txt"), Unique(L"system.dat")};
  std::vector<std::wstring> Folders{Unique(L"Tree"), Unique(L"Empty")};
  std::wstring HiddenFolder = Unique(L"HiddenFolder");
};

TEST(CleanOutTempFolder, FilesFirstThenFoldersOneStepPerEntry) {
  TempFolder temp;
  std::vector<std::pair<int, int>> leftAtStep;  // files and folders left when progress reached k
  WatchingDisplay display([&](const ProgressSeen& seen) {
    if (seen.total == 5) leftAtStep.resize(seen.progress + 1, {temp.FilesLeft(), temp.FoldersLeft()});
  });

  hv::CleanOutTempFolder(temp.Dir.Path());

  EXPECT_EQ(display.Message, L"Cleaning out temporary folder...");
  ASSERT_FALSE(display.Seen.empty());
  EXPECT_EQ(display.Seen.back().progress, 5);
  EXPECT_EQ(display.Seen.back().total, 5);
  // Asked before each entry: the progress counts the entries already attempted.
  ASSERT_EQ(leftAtStep.size(), 5u);
  const std::pair<int, int> expected[] = {{3, 2}, {2, 2}, {1, 2}, {0, 2}, {0, 1}};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(leftAtStep[k], expected[k]) << "at progress " << k;
  EXPECT_EQ(temp.FilesLeft() + temp.FoldersLeft(), 0);

  // The hidden folder is not listed, so it stays; nothing else does.
  EXPECT_TRUE(Exists(temp.Dir / temp.HiddenFolder));
  EXPECT_EQ(EntriesLeft(temp.Dir.Path()), 1);
}

TEST(CleanOutTempFolder, EveryRemovedEntryIsInTheRecycleBinIntact) {
  TempFolder temp;
  WatchingDisplay display;
  hv::CleanOutTempFolder(temp.Dir.Path() + L"\\");

  for (const std::wstring& f : temp.Files) {
    const std::vector<std::wstring> recycled = RecycledAs(f);
    ASSERT_EQ(recycled.size(), 1u) << std::string(f.begin(), f.end());
    EXPECT_EQ(ReadFile(recycled[0]), "content of " + std::string(f.begin(), f.end()));
  }
  const std::vector<std::wstring> tree = RecycledAs(temp.Folders[0]);
  ASSERT_EQ(tree.size(), 1u);
  EXPECT_EQ(ReadFile(tree[0] + L"\\deeper\\deepest\\nested.txt"), "nested");
  EXPECT_EQ(RecycledAs(temp.Folders[1]).size(), 1u);
}

TEST(CleanOutTempFolder, EmptyFolderHasNothingToDo) {
  ScratchDir dir;
  WatchingDisplay display;
  hv::CleanOutTempFolder(dir.Path());
  ASSERT_FALSE(display.Seen.empty());
  EXPECT_EQ(display.Seen.back().total, 0);
  EXPECT_TRUE(Exists(dir.Path()));
  EXPECT_EQ(EntriesLeft(dir.Path()), 0);
}

TEST(CleanOutTempFolder, CancelKeepsWhatWasRemovedInTheRecycleBinAndTheRestInPlace) {
  struct Case {
    const char* when;
    std::function<bool(const ProgressSeen&, int poll)> cancel;
    int filesLeft, foldersLeft;
  } cases[] = {
      {"while listing", [](const ProgressSeen& s, int poll) { return s.total == 0 && poll == 4; }, 3, 2},
      {"after two files", [](const ProgressSeen& s, int) { return s.total == 5 && s.progress == 2; }, 1, 2},
      {"after a folder", [](const ProgressSeen& s, int) { return s.total == 5 && s.progress == 4; }, 0, 1},
  };
  for (const Case& c : cases) {
    TempFolder temp;
    int polls = 0;
    WatchingDisplay display([&](const ProgressSeen& seen) {
      if (c.cancel(seen, ++polls)) throw hv::EAbort(L"Operation aborted");
    });
    EXPECT_THROW(hv::CleanOutTempFolder(temp.Dir.Path()), hv::EAbort) << c.when;
    EXPECT_EQ(temp.FilesLeft(), c.filesLeft) << c.when;
    EXPECT_EQ(temp.FoldersLeft(), c.foldersLeft) << c.when;
    // Nothing waits in a staging folder: what went is in the Recycle Bin.
    EXPECT_EQ(EntriesLeft(temp.Dir.Path()), c.filesLeft + c.foldersLeft + 1) << c.when;
    for (const std::wstring& f : temp.Files)
      EXPECT_EQ(RecycledAs(f).size(), Exists(temp.Dir / f) ? 0u : 1u) << c.when;
  }
}

// Names the folder lists that a staging folder of the cleaning would have.
int StagingFoldersLeft(const std::wstring& folder) {
  const std::vector<std::wstring> names = EntryNames(folder);
  return static_cast<int>(std::count_if(names.begin(), names.end(),
                                        [](const std::wstring& n) { return n.starts_with(L"Cleaned-out"); }));
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// A Recycle Bin that takes nothing, and a file in use that allows deletion (so it can be
// moved aside): everything stays where the user had it, with its contents, and no staging
// folder is left. Deleting for good what the bin refuses is the fault this guards against.
TEST(CleanOutTempFolder, ARecycleBinThatRefusesLosesNothing) {
  TempFolder temp;
  const std::wstring inUse = temp.Dir / Unique(L"in-use.txt");
  {
    cleaningtest::HeldByAnotherProcess holder(inUse, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    cleaningtest::RefusingRecycleBin refusing;
    WatchingDisplay display;
    hv::CleanOutTempFolder(temp.Dir.Path());
    ASSERT_FALSE(display.Seen.empty());
    EXPECT_EQ(display.Seen.back().progress, 6);
  }
  EXPECT_EQ(temp.FilesLeft(), 3);
  EXPECT_EQ(temp.FoldersLeft(), 2);
  EXPECT_TRUE(Exists(inUse));
  for (const std::wstring& f : temp.Files) EXPECT_EQ(ReadFile(temp.Dir / f), "content of " + Narrow(f));
  EXPECT_EQ(ReadFile(temp.Dir / temp.Folders[0] + L"\\deeper\\deepest\\nested.txt"), "nested");
  EXPECT_EQ(StagingFoldersLeft(temp.Dir.Path()), 0);
  EXPECT_EQ(EntriesLeft(temp.Dir.Path()), 7);  // the five, the file in use and the hidden folder
}

// The bin refuses the batch but takes entries one by one; one entry it refuses on its own
// returns to the folder, where meanwhile a new file took its name: the newcomer is kept and
// the entry comes back under the next free name.
TEST(CleanOutTempFolder, ABatchTheRecycleBinRefusesGoesEntryByEntry) {
  TempFolder temp;
  const std::wstring refused = temp.Files[0];
  const std::wstring renamed = refused.substr(0, refused.size() - 4) + L" (2).txt";
  const hv::FilePlatform real = hv::RealFilePlatform();
  hv::FilePlatform refusing;
  refusing.ShellFileOperation = [&](SHFILEOPSTRUCTW* op) {
    const std::wstring from = op->pFrom;
    const std::wstring name = from.substr(from.find_last_of(L'\\') + 1);
    if (!name.starts_with(L"Cleaned-out temporary files") && name != refused) return real.ShellFileOperation(op);
    if (name == refused) {
      EXPECT_TRUE(hvtest::WriteTextFile(temp.Dir / refused, "newcomer"));
    }
    op->fAnyOperationsAborted = TRUE;
    return 0x78;
  };
  {
    hv::ScopedFilePlatform scope(refusing);
    WatchingDisplay display;
    hv::CleanOutTempFolder(temp.Dir.Path());
  }
  for (const std::wstring& gone : {temp.Files[1], temp.Files[2], temp.Folders[0], temp.Folders[1]}) {
    EXPECT_FALSE(Exists(temp.Dir / gone)) << Narrow(gone);
    EXPECT_EQ(RecycledAs(gone).size(), 1u) << Narrow(gone);
  }
  EXPECT_EQ(ReadFile(temp.Dir / refused), "newcomer");
  EXPECT_EQ(ReadFile(temp.Dir / renamed), "content of " + Narrow(refused));
  EXPECT_EQ(StagingFoldersLeft(temp.Dir.Path()), 0);
  EXPECT_EQ(EntriesLeft(temp.Dir.Path()), 3);  // the newcomer, the returned entry, the hidden folder
}

std::wstring KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE);
  return path;
}

TEST(CleanOutTempFolder, RefusesProtectedFoldersAndDeletesNothing) {
  const std::wstring documents = KnownFolder(CSIDL_PERSONAL);
  const std::wstring planted = documents + L"\\" + Unique(L"must-stay.txt");
  MakeFile(planted);
  const std::wstring folders[] = {
      L"C:\\", KnownFolder(CSIDL_WINDOWS), KnownFolder(CSIDL_SYSTEM), KnownFolder(CSIDL_PROFILE),
      documents, documents + L"\\", KnownFolder(CSIDL_PROGRAM_FILES), L"C:\\users",
  };
  for (const std::wstring& folder : folders) {
    WatchingDisplay display;
    try {
      hv::CleanOutTempFolder(folder);
      ADD_FAILURE() << "not refused: " << std::string(folder.begin(), folder.end());
    } catch (const hv::EHvGeneralError& e) {
      EXPECT_NE(e.Message().find(L"\"" + folder + L"\""), std::wstring::npos) << std::string(folder.begin(), folder.end());
    }
    EXPECT_TRUE(display.Seen.empty());  // refused before any work began
  }
  EXPECT_TRUE(Exists(planted));
  DeleteFileW(planted.c_str());
}

// With few folders each tree is walked through its handle; with many the host is asked about
// all of them at once. Either way the same entries stay.
TEST(CleanOutTempFolder, LinksAreNeverAWayOut) {
  for (const int plainFolders : {0, 70}) {
    filestest::Canary canary;
    TempFolder temp;
    filestest::HostLinks links;
    links.Make(temp.Dir / L"folder-link", canary.Path());
    links.Make(temp.Dir / L"file-link.txt", canary.File());
    links.Make(temp.Dir / L"dangling", temp.Dir / L"nowhere");
    MakeFolder(temp.Dir / L"holds-a-link\\inner");
    MakeFile(temp.Dir / L"holds-a-link\\own.txt");
    links.Make(temp.Dir / L"holds-a-link\\inner\\to-canary", canary.Path());
    // Wine shows a link to a file as a plain file.
    MakeFolder(temp.Dir / L"holds-a-file-link\\deeper");
    MakeFile(temp.Dir / L"holds-a-file-link\\own.txt");
    links.Make(temp.Dir / L"holds-a-file-link\\deeper\\to-canary.txt", canary.File());
    for (int i = 0; i < plainFolders; ++i) {
      const std::wstring plain = temp.Dir / Unique(L"plain");
      MakeFolder(plain + L"\\inner");
      MakeFile(plain + L"\\inner\\own.txt");
    }

    ASSERT_TRUE(filestest::HostIsLink(temp.Dir / L"dangling"));
    WatchingDisplay display;
    hv::CleanOutTempFolder(temp.Dir.Path());

    EXPECT_TRUE(canary.Intact()) << plainFolders;
    EXPECT_EQ(temp.FilesLeft(), 0) << plainFolders;
    EXPECT_EQ(temp.FoldersLeft(), 0) << plainFolders;
    // Wine shows no entry for a dangling link, so the cleaning cannot see it, and it stays.
    EXPECT_FALSE(Listed(temp.Dir.Path(), L"dangling")) << plainFolders;
    EXPECT_TRUE(filestest::HostIsLink(temp.Dir / L"dangling")) << plainFolders;
    // A link that this system would follow stays, and so does a tree that holds one.
    for (const wchar_t* stays :
         {L"folder-link", L"file-link.txt", L"holds-a-link\\own.txt", L"holds-a-file-link\\own.txt"})
      EXPECT_TRUE(Exists(temp.Dir / stays)) << plainFolders << " " << stays;
    EXPECT_EQ(EntriesLeft(temp.Dir.Path()), 5) << plainFolders;  // with the hidden folder
  }
}

TEST(CleanOutTempFolder, EntriesThatCannotGoStayAndTheRestIsCleanedSilently) {
  ScratchDir dir;
  const std::wstring held = dir / Unique(L"held.txt");
  const std::wstring readOnly = dir / Unique(L"read-only.txt");
  const std::wstring foreign = dir / Unique(L"\u00e9t\u00e9 \u65e5\u672c \u0416.txt");
  const std::wstring longName = dir / Unique(std::wstring(220, L'n') + L".txt");
  const std::wstring deepFolder = dir / Unique(L"deep");
  std::wstring deep = deepFolder;
  while (deep.size() < 300) deep += L"\\" + std::wstring(40, L'd');
  MakeFile(readOnly, "x", FILE_ATTRIBUTE_READONLY);
  MakeFile(foreign);
  MakeFile(longName);
  MakeFolder(deep);
  MakeFile(deep + L"\\bottom.txt");
  ASSERT_GT(longName.size(), static_cast<std::size_t>(MAX_PATH));

  const std::wstring sharedName = Unique(L"in-use, deletion allowed.txt");
  {
    cleaningtest::HeldByAnotherProcess holder(held);
    cleaningtest::HeldByAnotherProcess sharing(dir / sharedName, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    WatchingDisplay display;
    hv::CleanOutTempFolder(dir.Path());
    EXPECT_TRUE(Exists(held));
  }
  for (const std::wstring& gone : {readOnly, foreign, longName, deepFolder})
    EXPECT_FALSE(Exists(gone)) << std::string(gone.begin(), gone.end());
  // A file in use that allows deletion goes to the Recycle Bin or stays; it is never lost.
  EXPECT_EQ(RecycledAs(sharedName).size() + (Exists(dir / sharedName) ? 1u : 0u), 1u);
  EXPECT_EQ(StagingFoldersLeft(dir.Path()), 0);
  EXPECT_EQ(EntriesLeft(dir.Path()), Exists(dir / sharedName) ? 2 : 1);
}

// A temporary folder whose own path is longer than MAX_PATH: the link in it stays although
// the folder's final path is past the classic limit, and since the shell reaches no path
// that long, the Recycle Bin cannot take the entries: they stay where they were, not hidden
// in a staging folder and not deleted for good.
TEST(CleanOutTempFolder, AFolderPastMaxPathKeepsWhatTheRecycleBinCannotReach) {
  filestest::Canary canary;
  ScratchDir dir;
  std::wstring deep = dir / Unique(L"deep-temp");
  while (deep.size() <= MAX_PATH + 20) deep += L"\\" + std::wstring(40, L't');
  MakeFolder(deep + L"\\sub");
  MakeFile(deep + L"\\sub\\inner.txt");
  MakeFile(deep + L"\\plain.txt");
  filestest::HostLinks links;
  links.Make(hv::LongFileName(deep + L"\\folder-link"), canary.Path());

  WatchingDisplay display;
  hv::CleanOutTempFolder(deep);

  EXPECT_TRUE(canary.Intact());
  EXPECT_TRUE(Exists(deep + L"\\plain.txt"));
  EXPECT_TRUE(Exists(deep + L"\\sub\\inner.txt"));
  EXPECT_TRUE(Exists(deep + L"\\folder-link"));
  EXPECT_EQ(StagingFoldersLeft(hv::LongFileName(deep)), 0);
}

}  // namespace
