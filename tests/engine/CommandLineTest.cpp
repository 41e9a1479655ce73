// The command line: what each accepted form means, the one-line reason for every refused one,
// and the exit code of each outcome of an unattended removal.
#include <gtest/gtest.h>

#include "HvCommandLine.h"
#include "HvProductCatalogue.h"
#include "HvUninstallCommand.h"

namespace hvtest {
namespace {

using hv::TCommandKind;
using hv::TUserInterfaceLevel;

TEST(CommandLine, AcceptedFormsMeanWhatTheySay) {
  const std::vector<std::size_t> both{hv::kCorvista, hv::kSendaro};
  const struct {
    std::vector<std::wstring> args;
    TCommandKind kind;
    std::vector<std::size_t> products;
    bool keepFolders, noTemp;
    TUserInterfaceLevel level;
    std::wstring log;
    bool noRestartRemoval = false;
  } rows[] = {
      {{}, TCommandKind::Window, {}, false, false, TUserInterfaceLevel::Full, L""},
      {{L"/detect"}, TCommandKind::Detect, {}, false, false, TUserInterfaceLevel::Full, L""},
      {{L"-DETECT"}, TCommandKind::Detect, {}, false, false, TUserInterfaceLevel::Full, L""},
      {{L"/?"}, TCommandKind::Usage, {}, false, false, TUserInterfaceLevel::Full, L""},
      {{L"/uninstall", L"/quiet", L"-?"}, TCommandKind::Usage, {}, false, false, TUserInterfaceLevel::Full, L""},
      {{L"/uninstall"}, TCommandKind::Uninstall, both, false, false, TUserInterfaceLevel::Full, L""},
      {{L"/Uninstall", L"ALL", L"-passive"}, TCommandKind::Uninstall, both, false, false, TUserInterfaceLevel::Passive, L""},
      {{L"-uninstall", L"/QUIET", L"sendaro", L"/keepfolders", L"-NoTemp", L"/log", L"C:\\a b\\x.log"},
       TCommandKind::Uninstall, {hv::kSendaro}, true, true, TUserInterfaceLevel::Quiet, L"C:\\a b\\x.log"},
      {{L"/uninstall", L"Corvista"}, TCommandKind::Uninstall, {hv::kCorvista}, false, false, TUserInterfaceLevel::Full, L""},
      {{L"/uninstall", L"-NoRestartRemoval", L"/quiet"}, TCommandKind::Uninstall, both, false, false,
       TUserInterfaceLevel::Quiet, L"", true},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const hv::TCommandLineParse parsed = hv::ParseCommandLine(rows[i].args);
    ASSERT_TRUE(parsed.Command) << "row " << i << ": " << testing::PrintToString(parsed.Error);
    const hv::TCommandLine& c = *parsed.Command;
    EXPECT_EQ(c.Kind, rows[i].kind) << "row " << i;
    if (c.Kind != TCommandKind::Uninstall) continue;
    EXPECT_EQ(c.Products, rows[i].products) << "row " << i;
    EXPECT_EQ(c.KeepFolders, rows[i].keepFolders) << "row " << i;
    EXPECT_EQ(c.NoTemp, rows[i].noTemp) << "row " << i;
    EXPECT_EQ(c.Level, rows[i].level) << "row " << i;
    EXPECT_EQ(c.LogPath, rows[i].log) << "row " << i;
    EXPECT_EQ(c.NoRestartRemoval, rows[i].noRestartRemoval) << "row " << i;
  }
}

TEST(CommandLine, RefusedFormsGiveOneLineNamingTheFault) {
  const struct {
    std::vector<std::wstring> args;
    std::wstring named;  // a part of the reason
  } rows[] = {
      {{L"/frobnicate"}, L"/frobnicate"},
      {{L"corvista"}, L"corvista"},
      {{L"/detect", L"/quiet"}, L"/quiet"},
      {{L"/uninstall", L"pelmark"}, L"pelmark"},
      {{L"/uninstall", L"corvista", L"sendaro"}, L"sendaro"},
      {{L"/uninstall", L"/quiet", L"/passive"}, L"/passive"},
      {{L"/uninstall", L"/log"}, L"/log"},
      {{L"/uninstall", L"/log", L""}, L"/log"},
      {{L"/uninstall", L"/log", L"/quiet"}, L"/log"},
      {{L"/uninstall", L"/log", L"a", L"/log", L"b"}, L"/log"},
      {{L"/uninstall", L"/quiet:yes"}, L"/quiet:yes"},
      {{L"/uninstall", L"-"}, L"\"-\""},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const hv::TCommandLineParse parsed = hv::ParseCommandLine(rows[i].args);
    EXPECT_FALSE(parsed.Command) << "row " << i;
    EXPECT_NE(parsed.Error.find(rows[i].named), std::wstring::npos) << "row " << i << ": " << testing::PrintToString(parsed.Error);
    EXPECT_EQ(parsed.Error.find_first_of(L"\r\n"), std::wstring::npos) << "row " << i;
  }
}

TEST(CommandLine, ExitCodesOfAnUnattendedRemoval) {
  const struct {
    hv::TUninstallOutcome outcome;
    int code;
  } rows[] = {
      {{false, false, true, true}, 0},      // removed, folder cleaned
      {{false, false, true, false}, 0},     // removed, /notemp
      {{false, false, false, true}, 0},     // nothing there, folder cleaned
      {{false, false, false, false}, 1605}, // nothing there, /notemp
      {{false, true, true, true}, 1603},    // one removal failed, another worked
      {{false, true, false, false}, 1603},  // the cleaning failed
      {{true, false, false, false}, 1602},  // cancelled during the cleaning
      {{true, true, true, true}, 1602},     // cancelled after a failure
      {{false, false, true, true, true}, 3010},   // removed, files in use go at the restart
      {{false, false, false, false, true}, 3010}, // the same, /notemp
      {{false, true, true, true, true}, 1603},    // that, and another removal failed
      {{true, false, true, false, true}, 1602},   // that, then cancelled
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(hv::UninstallExitCode(rows[i].outcome), rows[i].code) << "row " << i;
}

}  // namespace
}  // namespace hvtest
