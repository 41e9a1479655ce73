#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "HvHostLinks.h"
#include "HvLXFiles.h"
#include "HvLXHostLinkScan.h"

namespace {

using hvtest::ScratchDir;

// Each tree asked about in one look, with names the host shell must take literally; the
// answer is per tree, at any depth, and missing where the host cannot look at a plain folder
// or could not look everywhere.
TEST(HostLinkScan, AnswersEachTreeInOneLook) {
  ScratchDir dir, elsewhere;
  ASSERT_NO_THROW(hv::ForceDirectoriesLX(elsewhere / L"target"));
  ASSERT_TRUE(hvtest::WriteTextFile(elsewhere / L"target.txt", "x"));
  filestest::HostLinks links;
  struct Case {
    const wchar_t* name;
    std::optional<bool> expected;
  } cases[] = {
      {L"plain", false},
      {L"file link deep", true},
      {L"folder link", true},
      {L"dangling", true},
      {L"it's $(touch pwned) `x`; ${HOME}", true},
      {L"\u00e9t\u00e9 \u65e5\u672c", true},
      {L"empty", false},
      {L"is a link", std::nullopt},
  };
  ASSERT_NO_THROW(hv::ForceDirectoriesLX(dir / L"plain\\inner"));
  ASSERT_TRUE(hvtest::WriteTextFile(dir / L"plain\\inner\\own.txt", "x"));
  ASSERT_NO_THROW(hv::ForceDirectoriesLX(dir / L"file link deep\\a\\b"));
  links.Make(dir / L"file link deep\\a\\b\\to.txt", elsewhere / L"target.txt");
  ASSERT_NO_THROW(hv::ForceDirectoriesLX(dir / L"folder link"));
  links.Make(dir / L"folder link\\to", elsewhere / L"target");
  ASSERT_NO_THROW(hv::ForceDirectoriesLX(dir / L"dangling"));
  links.Make(dir / L"dangling\\nowhere", elsewhere / L"nowhere");
  ASSERT_NO_THROW(hv::ForceDirectoriesLX(dir / cases[4].name));
  links.Make(dir / cases[4].name + L"\\to.txt", elsewhere / L"target.txt");
  ASSERT_NO_THROW(hv::ForceDirectoriesLX(dir / cases[5].name));
  links.Make(dir / cases[5].name + L"\\to", elsewhere / L"target");
  ASSERT_NO_THROW(hv::ForceDirectoriesLX(dir / cases[6].name));
  links.Make(dir / L"is a link", elsewhere / L"target");

  std::vector<std::wstring> folders;
  for (const Case& c : cases) folders.push_back(dir / c.name);
  const std::vector<std::optional<bool>> answers = hv::HostLinksBelow(folders);
  ASSERT_EQ(answers.size(), folders.size());
  for (std::size_t i = 0; i < folders.size(); ++i) EXPECT_EQ(answers[i], cases[i].expected) << "row " << i;
  EXPECT_FALSE(hvtest::PathExists(dir / L"pwned"));
  EXPECT_FALSE(hvtest::PathExists(elsewhere / L"pwned"));

  // A folder gone since the listing: the look did not finish, and no tree is answered for.
  folders.push_back(dir / L"missing");
  for (const std::optional<bool>& answer : hv::HostLinksBelow(folders)) EXPECT_FALSE(answer.has_value());
}

}  // namespace
