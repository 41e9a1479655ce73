#include <gtest/gtest.h>

#include "HvExceptions.h"
#include "HvHostLinks.h"
#include "HvLXFiles.h"
#include "HvLXHostRemoval.h"

namespace {

using hvtest::ScratchDir;

// The safety checks see "holder\link\..\victim" as "holder\victim"; the host, given the raw
// path, would go through the link first and remove the victim beside the link's target.
TEST(HostRemovalPaths, TheHostGetsThePathThatWasChecked) {
  ScratchDir dir, elsewhere;
  filestest::HostLinks links;
  ASSERT_NO_THROW(hv::ForceDirectoriesLX(dir / L"holder\\victim"));
  ASSERT_NO_THROW(hv::ForceDirectoriesLX(elsewhere / L"target"));
  ASSERT_NO_THROW(hv::ForceDirectoriesLX(elsewhere / L"victim"));
  ASSERT_TRUE(hvtest::WriteTextFile(elsewhere / L"victim\\keep.txt", "keep"));
  links.Make(dir / L"holder\\link", elsewhere / L"target");

  hv::RemoveNonEmptyDir(dir / L"holder\\link\\..\\victim");
  EXPECT_FALSE(hvtest::PathExists(dir / L"holder\\victim"));
  EXPECT_TRUE(hvtest::PathExists(elsewhere / L"victim\\keep.txt"));
  EXPECT_TRUE(hvtest::PathExists(elsewhere / L"target"));
}

TEST(HostRemovalPaths, AControlCharacterNeverReachesAScript) {
  ScratchDir dir;
  for (const wchar_t* name : {L"a\nb", L"a\rb", L"a\tb", L"a\x1b" L"b"}) {
    EXPECT_THROW(hv::HostPathOfEntry(dir / name), hv::EHvGeneralError) << static_cast<int>(name[1]);
    EXPECT_THROW(hv::RemoveNonEmptyDir(dir / name), hv::EHvGeneralError);
  }
  EXPECT_NO_THROW(hv::HostPathOfEntry(dir / L"plain name"));
}

}  // namespace
