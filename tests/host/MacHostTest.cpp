// The Mac branches for real: the ctest entry host_on_mac (on_mac.sh) puts the fake Mac tools of
// fake-mac/ first on the host PATH, so the program finds a Mac through sw_vers, and hands
// documents to "open" and links and scripts to osascript, which record their calls. Only the
// host's kernel name is pinned: Wine reads the real one, which no host PATH can change.
#include <gtest/gtest.h>

#include <cstdlib>

#include "HostTestFiles.h"
#include "HvExceptions.h"
#include "HvLXFiles.h"
#include "HvLXHost.h"
#include "HvLXHostPaths.h"
#include "HvLXMacOpen.h"
#include "HvLXShellOpen.h"
#include "HvLXSpecialFolders.h"
#include "HvLXHostScript.h"
#include "HvShellNames.h"
#include "HvTestSupport.h"

namespace {

std::wstring Widen(const std::string& text) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

class MacHost : public testing::Test {
 protected:
  void SetUp() override {
    const wchar_t* log = _wgetenv(L"HV_FAKE_MAC_LOG");
    if (!log || !*log) GTEST_SKIP() << "runs as the ctest entry host_on_mac, with fake Mac tools on the host PATH";
    FLog = hv::Wine_ConvertNativePathToDos(log);
    FFolder = FLog.substr(0, FLog.rfind(L'\\'));
    DeleteFileW(FLog.c_str());
  }
  // Every call the fake tools recorded since the test began.
  std::wstring Calls() const { return Widen(hosttest::ReadBytes(FLog)); }
  bool Called(const std::wstring& entry) const { return Calls().find(entry) != std::wstring::npos; }

  hv::ScopedHostFacts FDarwin{{.hostSystem = L"Darwin"}};
  hv::ScopedFreshHostDetection FFresh;  // the suite's other tests saw a Linux host
  std::wstring FLog, FFolder;
};

TEST_F(MacHost, IsFoundThroughSwVersWithoutAPin) {
  EXPECT_TRUE(hv::IsWine());
  EXPECT_TRUE(hv::IsMac());
  EXPECT_EQ(hv::GetMacVersionText(), L"macOS, 14.2.1, 23C71");
  EXPECT_TRUE(hv::GetMacVersion().AtLeast(hv::TVersionNumber{14, 2, 1, 0}));
  EXPECT_FALSE(hv::GetMacVersion().AtLeast(hv::TVersionNumber{14, 2, 2, 0}));
}

TEST_F(MacHost, EveryFormOfSwVersGivesTheVersionAndTheHintForIt) {
  const std::wstring form = FFolder + L"\\sw_vers.out";
  struct Case {
    const char* output;
    std::wstring text;
    hv::TVersionNumber version;
  } cases[] = {
      // Without its build line a modern Mac is still one.
      {"ProductName:\tmacOS\nProductVersion:\t14.2.1\n", L"macOS, 14.2.1", {14, 2, 1, 0}},
      {"ProductName:\t\tMac OS X\nProductVersion:\t\t10.13.6\nBuildVersion:\t\t17G65\n", L"Mac OS X, 10.13.6, 17G65",
       {10, 13, 6, 0}},
      {"ProductName: macOS\nBuildVersion: 23C71\nProductVersion: 10.14\n", L"macOS, 10.14, 23C71", {10, 14, 0, 0}},
      // Lines without names: the whole output as one comma list.
      {"Mac OS X\n10.6.8\n10K549\n", L"Mac OS X,10.6.8,10K549", {10, 6, 8, 0}},
      {"macOS\n14.1\n", L"macOS,14.1", {14, 1, 0, 0}},
      {"Linux\n6.1\n", L"n/a", {}},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(hvtest::WriteTextFile(form, c.output));
    hv::ScopedFreshHostDetection fresh;
    EXPECT_EQ(hv::GetMacVersionText(), c.text) << c.output;
    EXPECT_EQ(hv::GetMacVersion(), c.version) << c.output;
    if (c.text == L"n/a") continue;
    std::wstring hint;
    hv::GetAppleScriptPermissionHint(L"Not authorized to send Apple events to Finder.", hint);
    const bool automation = c.version.AtLeast(hv::TVersionNumber{10, 14, 0, 0});
    EXPECT_NE(hint.find(automation ? L"in \"Automation\", grant Corvista the ability to control \"Finder\"."
                                   : L"in \"Accessibility\", grant Corvista the ability to control your computer."),
              std::wstring::npos)
        << c.output << hint;
  }
  DeleteFileW(form.c_str());
}

TEST_F(MacHost, FinderExtensionsOpenFilesAndLinksToSuchFilesStillGoToTheFinder) {
  hosttest::ScopedWineValue extensions(HKEY_CURRENT_USER, L"MacFinderExts", L".pdf,.numbers");
  const std::wstring document = FFolder + L"\\report.pdf";
  ASSERT_TRUE(hvtest::WriteTextFile(document, "%PDF"));
  hv::ShellOpenLX(document);
  EXPECT_TRUE(Called(L"open[" + hv::Wine_ConvertDosPathToNative(document) + L"]\n")) << Calls();

  // Wine has no program for a web link on a Mac: the shell answers "no association" (31) or
  // "bad format" (11), and the link goes to the Finder.
  for (const INT_PTR answer : {INT_PTR{31}, INT_PTR{11}}) {
    static INT_PTR shellAnswer;
    shellAnswer = answer;
    hv::ScopedShellExecute noProgram(
        [](HWND, const std::wstring&, const std::wstring&, const std::wstring&, const std::wstring&, int) {
          return shellAnswer;
        });
    for (const std::wstring url : {L"https://example.com/report.pdf", L"http://example.com/sheet.numbers?x=1",
                                   L"file:///Users/me/report.pdf"}) {
      EXPECT_NO_THROW(hv::ShellOpenLX(url)) << url;
      EXPECT_TRUE(Called(L"open location \"" + url + L"\"")) << url << Calls();
      EXPECT_FALSE(Called(L"open[" + url)) << url << Calls();
    }
  }
}

TEST_F(MacHost, DocumentsGoToOpenAsOneArgumentWhateverTheirNames) {
  const std::wstring docs = FFolder + L"\\docs";
  CreateDirectoryW(docs.c_str(), nullptr);
  // Host scripts run in the program's current folder: a name that ran a command leaves its
  // CANARY in docs.
  wchar_t previous[MAX_PATH * 2] = {};
  GetCurrentDirectoryW(MAX_PATH * 2, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(docs.c_str()));
  struct Restore {
    const wchar_t* folder;
    ~Restore() { SetCurrentDirectoryW(folder); }
  } restore{previous};
  ASSERT_EQ(hv::Wine_RunScript(L"Where", L"pwd -P"), hv::Wine_ConvertDosPathToNative(docs) + L"\n");
  for (const std::wstring& name : hvtest::ShellHostileWindowsNames()) {
    const std::wstring path = docs + L"\\" + name + L".png";
    ASSERT_TRUE(hvtest::WriteTextFile(path, "png"));
    ASSERT_TRUE(hv::UseMacOpenCommand(path));
    hv::ShellOpenLX(path);
    EXPECT_TRUE(Called(L"open[" + hv::Wine_ConvertDosPathToNative(path) + L"]\n")) << Calls();
  }
  EXPECT_FALSE(hvtest::PathExists(docs + L"\\CANARY"));

  const std::wstring missing = docs + L"\\missing.txt";
  try {
    hv::MacOpenFile(missing, L"");
    ADD_FAILURE() << "a document that is not there opened";
  } catch (const hv::EHvGeneralError& e) {
    EXPECT_EQ(e.Message().rfind(L"Could not open file \"" + missing + L"\"\r\n\r\nThe file ", 0), 0u) << e.Message();
  }
}

TEST_F(MacHost, LinksGoToTheFinderAndItsAnswersBecomeErrors) {
  const std::wstring url = L"https://example.com/a?b=1&c=$(touch CANARY)";
  hv::MacOpenLocation(url, L"No application");
  EXPECT_TRUE(Called(L"\t open location \"" + url + L"\"")) << Calls();
  hv::ShellOpenLX(L"file:///Users/me/notes.txt");  // file links go to the Finder before any Windows handler
  EXPECT_TRUE(Called(L"open location \"file:///Users/me/notes.txt\"")) << Calls();

  EXPECT_THROW(hv::MacOpenLocation(L"https://cancelled.example/", L"No application"), hv::EAbort);
  try {
    hv::MacOpenLocation(L"https://refused.example/", L"No application");
    ADD_FAILURE() << "a refused link raised nothing";
  } catch (const hv::EAppleScriptError& e) {
    EXPECT_EQ(e.Message(), L"No application");
    EXPECT_NE(e.ExtraInfo().find(L"Not authorized to send Apple events to Finder."), std::wstring::npos);
  }
  // The scripts' files go when they have run.
  EXPECT_FALSE(hvtest::PathExists(hv::GetHalvernTempFolder() + L"OpenLocation.applescript"));
}

TEST_F(MacHost, CheckedScriptsTurnAnyAnswerIntoAnErrorWithTheHintForThisMac) {
  EXPECT_NO_THROW(hv::RunAppleScriptChecked(L"Quiet", L"tell application \"Finder\" to activate", L""));
  try {
    hv::RunAppleScriptChecked(L"Refused", L"open location \"https://refused.example/\"", L"");
    ADD_FAILURE() << "a refused script raised nothing";
  } catch (const hv::EAppleScriptError& e) {
    // macOS 14 has the Automation privacy settings.
    EXPECT_EQ(e.Message(), L"In the \"Security & Privacy\" settings of your Mac, in \"Privacy\", in \"Automation\", "
                           L"grant Corvista the ability to control \"Finder\".");
  }
  EXPECT_TRUE(Called(L"osascript[")) << Calls();
}

}  // namespace
