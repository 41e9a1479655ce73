#include <gtest/gtest.h>

#include "HvLXExistenceChecks.h"
#include "HvHostLinks.h"
#include "HvLXHost.h"
#include "HvTestSupport.h"

using namespace hv;

// What a user reads under Wine: the host's path, with the prefix's drive link resolved.
std::wstring HostForm(const std::wstring& path) {
  std::string host = filestest::HostPath(path);
  const std::string driveLink = "/dosdevices/c:/";
  if (const std::size_t at = host.find(driveLink); at != std::string::npos) host.replace(at, driveLink.size(), "/drive_c/");
  return std::wstring(host.begin(), host.end());
}

TEST(ExistenceChecks, UnderWineTheUserReadsTheHostPath) {
  hvtest::ScratchDir dir;
  const std::wstring missing = dir / L"a.txt";
  try {
    CheckFileExists(missing, fmUser);
    ADD_FAILURE() << "no error";
  } catch (const EExtraInfoException& e) {
    EXPECT_EQ(e.Message(), L"File \"" + HostForm(missing) + L"\" doesn't exist.");
  }
  try {
    CheckDirectoryExists(dir / L"Missing", fmUser);
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), L"Directory \"" + HostForm(dir / L"Missing") + L"/\" doesn't exist.");
  }
}

TEST(ExistenceChecks, MissingFileRaisesWithTheExistenceAccount) {
  ScopedHostPins windows({.wine = false});
  hvtest::ScratchDir dir;
  const std::wstring missing = dir / L"a.txt";
  struct Case {
    TForceMessageType type;
    std::wstring message;
  } cases[] = {{fmUser, L"File \"" + missing + L"\" doesn't exist."},
               {fmInternal, L"Internal Error: File does not exist: " + missing}};
  for (const Case& c : cases) {
    try {
      CheckFileExists(missing, c.type);
      ADD_FAILURE() << "no error for type " << c.type;
    } catch (const EExtraInfoException& e) {
      EXPECT_EQ(e.Message(), c.message);
      EXPECT_EQ(e.ExtraInfo().rfind(L"FileName = [" + missing + L"]\r\n", 0), 0u);
    }
  }
  ASSERT_TRUE(hvtest::WriteTextFile(missing, "x"));
  EXPECT_NO_THROW(CheckFileExists(missing, fmUser));
  EXPECT_THROW(CheckFileExists(dir.Path(), fmUser), EExtraInfoException);  // a folder is no file
}

TEST(ExistenceChecks, MissingFolderNamesItWithABackslashOnlyForTheUser) {
  ScopedHostPins windows({.wine = false});
  hvtest::ScratchDir dir;
  const std::wstring missing = dir / L"Missing";
  try {
    CheckDirectoryExists(missing, fmUser);
    ADD_FAILURE();
  } catch (const EHvInternalError&) {
    ADD_FAILURE() << "the user's form is a plain exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.ClassName(), L"Exception");
    EXPECT_EQ(e.Message(), L"Directory \"" + missing + L"\\\" doesn't exist.");
  }
  try {
    CheckDirectoryExists(missing, fmInternal);
    ADD_FAILURE();
  } catch (const EHvInternalError& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: Directory does not exist: " + missing);
  }
  EXPECT_NO_THROW(CheckDirectoryExists(dir.Path(), fmInternal));
  try {
    CheckDirectoryExists(missing, static_cast<TForceMessageType>(2));
    ADD_FAILURE();
  } catch (const EHvInternalError& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: Unexpected TForceMessageType: 2 (above maximum of 1)");
  }
}
