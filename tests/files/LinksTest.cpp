#include <gtest/gtest.h>

#include "HvHostLinks.h"
#include "HvExceptions.h"
#include "HvLXFiles.h"
#include "HvLXHost.h"
#include <shlobj.h>

namespace {

using filestest::Canary;
using filestest::HostLinks;
using hvtest::ScratchDir;

// A tree to delete with a link to the canary somewhere in it (or being one itself).
struct LinkedTree {
  enum Layout { NestedFolderLink, NestedFileLink, RootIsFolderLink, RootIsFileLink, NestedDanglingLink };

  explicit LinkedTree(Layout layout) {
    hv::ForceDirectoriesLX(Dir / L"tree\\a\\b");
    hvtest::WriteTextFile(Dir / L"tree\\own.txt", "mine");
    switch (layout) {
      case NestedFolderLink: Links.Make(Dir / L"tree\\a\\b\\to_canary", Canary.Path()); Root = Dir / L"tree"; break;
      case NestedFileLink: Links.Make(Dir / L"tree\\a\\to_file", Canary.File()); Root = Dir / L"tree"; break;
      case RootIsFolderLink: Links.Make(Dir / L"link", Canary.Path()); Root = Dir / L"link"; break;
      case RootIsFileLink: Links.Make(Dir / L"link.txt", Canary.File()); Root = Dir / L"link.txt"; break;
      case NestedDanglingLink: Links.Make(Dir / L"tree\\a\\gone", Dir / L"nowhere"); Root = Dir / L"tree"; break;
    }
  }

  // Every link made is gone from where it was, and nothing behind one was touched.
  void ExpectLinksGoneCanaryIntact() {
    EXPECT_TRUE(Canary.Intact());
    for (const wchar_t* link : {L"tree\\a\\b\\to_canary", L"tree\\a\\to_file", L"link", L"link.txt", L"tree\\a\\gone"})
      EXPECT_FALSE(filestest::HostIsLink(Dir / link)) << link;
  }

  Canary Canary;
  ScratchDir Dir;
  HostLinks Links;  // removed first, so the scratch clean-up never meets a link
  std::wstring Root;
};

constexpr LinkedTree::Layout kLayouts[] = {LinkedTree::NestedFolderLink, LinkedTree::NestedFileLink,
                                           LinkedTree::RootIsFolderLink, LinkedTree::RootIsFileLink};
constexpr LinkedTree::Layout kAllLayouts[] = {LinkedTree::NestedFolderLink, LinkedTree::NestedFileLink,
                                              LinkedTree::RootIsFolderLink, LinkedTree::RootIsFileLink,
                                              LinkedTree::NestedDanglingLink};

TEST(Links, TellsLinksFromWhatTheyLeadTo) {
  Canary canary;
  ScratchDir dir;
  HostLinks links;
  links.Make(dir / L"dirlink", canary.Path());
  links.Make(dir / L"filelink.txt", canary.File());
  links.Make(dir / L"dangling", dir / L"nowhere");
  wchar_t documents[MAX_PATH] = {};
  SHGetSpecialFolderPathW(nullptr, documents, CSIDL_PERSONAL, FALSE);

  struct Case {
    std::wstring path;
    bool link;
  } cases[] = {
      {dir / L"dirlink", true},
      {dir / L"dirlink\\", true},
      {dir / L"filelink.txt", true},
      {L"\\\\?\\" + dir / L"filelink.txt", true},
      {documents, true},  // the prefix's user folders lead into the host home folder
      {canary.Path(), false},
      {canary.File(), false},
      {canary.Folder(), false},
      {dir / L"nowhere", false},
      {dir / L"dirlink\\sub", false},  // inside a link, but not a link itself
      {L"C:\\users", false},
      {L"C:\\", false},
      {L"", false},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(hv::IsLinkPath(cases[i].path), cases[i].link) << "case " << i;

  EXPECT_EQ(hv::FindLinkInTree(canary.Path()), std::nullopt);
  EXPECT_EQ(hv::FindLinkInTree(dir / L"missing"), std::nullopt);
  const std::optional<std::wstring> found = hv::FindLinkInTree(dir.Path());
  ASSERT_TRUE(found.has_value());
  EXPECT_TRUE(hv::IsLinkPath(*found));
}

// Where no host shell can remove a host link as a link (pinned: not under Wine).
TEST(Links, ShellDeletePathRefusesTreesItCannotDeleteSafely) {
  hv::ScopedHostPins windows({.wine = false});
  const std::uint16_t flagSets[] = {0x414, 0x454, 0x50};
  for (LinkedTree::Layout layout : kLayouts) {
    for (std::uint16_t flags : flagSets) {
      SCOPED_TRACE(testing::Message() << "layout " << layout << " flags " << flags);
      LinkedTree fixture(layout);
      try {
        hv::ShellDeletePath(fixture.Root, flags, L"");
        ADD_FAILURE() << "no exception";
      } catch (const hv::EHvGeneralError& e) {
        EXPECT_TRUE(e.Message().starts_with(L"Refusing to delete \"" + fixture.Root + L"\": it contains a link"))
            << e.Message().c_str();
      }
      EXPECT_TRUE(fixture.Canary.Intact());
      EXPECT_TRUE(hvtest::PathExists(fixture.Root));
    }
  }
}

TEST(Links, DeletePathLXLeavesSuchTreesAloneSilentlyWithoutAHostShell) {
  hv::ScopedHostPins windows({.wine = false});
  for (LinkedTree::Layout layout : kLayouts) {
    for (bool allowUndo : {false, true}) {
      SCOPED_TRACE(testing::Message() << "layout " << layout << " undo " << allowUndo);
      LinkedTree fixture(layout);
      EXPECT_NO_THROW(hv::DeletePathLX(fixture.Root, allowUndo));
      EXPECT_TRUE(fixture.Canary.Intact());
    }
  }
}

// Under Wine the host shell removes each link as a link; then the tree goes as usual.
TEST(Links, UnderWineTreesWithLinksAreDeletedAndTheLinksGoAsLinks) {
  for (LinkedTree::Layout layout : kAllLayouts) {
    for (bool allowUndo : {false, true}) {
      SCOPED_TRACE(testing::Message() << "layout " << layout << " undo " << allowUndo);
      {
        LinkedTree fixture(layout);
        EXPECT_NO_THROW(hv::DeletePathLX(fixture.Root, allowUndo));
        EXPECT_FALSE(hvtest::PathExists(fixture.Root));
        fixture.ExpectLinksGoneCanaryIntact();
      }
      {
        LinkedTree fixture(layout);
        EXPECT_NO_THROW(hv::ShellDeletePath(fixture.Root, allowUndo ? 0x454 : 0x414, L""));
        EXPECT_FALSE(hvtest::PathExists(fixture.Root));
        fixture.ExpectLinksGoneCanaryIntact();
      }
    }
  }
}

TEST(Links, PlainDeletesNeverReachTheTarget) {
  for (LinkedTree::Layout layout : {LinkedTree::RootIsFolderLink, LinkedTree::RootIsFileLink}) {
    SCOPED_TRACE(testing::Message() << "layout " << layout);
    LinkedTree fixture(layout);
    EXPECT_FALSE(hv::DeleteFileLX(fixture.Root));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
    EXPECT_FALSE(hv::RemoveDirLX(fixture.Root));
    EXPECT_THROW(hv::DeleteFileStrictLX(fixture.Root), hv::Exception);
    EXPECT_FALSE(hv::RemoveLinkItself(fixture.Root));
    EXPECT_TRUE(fixture.Canary.Intact());
  }
  // An empty target folder is what a plain folder removal through a link would take.
  Canary canary;
  ScratchDir dir;
  const std::wstring empty = canary.Path() + L"\\empty";
  ASSERT_TRUE(CreateDirectoryW(empty.c_str(), nullptr));
  HostLinks links;
  links.Make(dir / L"to_empty", empty);
  EXPECT_FALSE(hv::RemoveDirLX(dir / L"to_empty"));
  EXPECT_FALSE(hv::DeleteFileLX(dir / L"to_empty"));
  EXPECT_TRUE(hvtest::PathExists(empty));
}

}  // namespace
