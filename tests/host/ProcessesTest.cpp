#include <gtest/gtest.h>

#include "HostTestFiles.h"

#include "HvExceptions.h"
#include "HvLXHost.h"
#include "HvLXProcesses.h"
#include "HvStringList.h"
#include "HvTestSupport.h"

namespace {

hv::TProcessStart Command(const std::wstring& commandLine) {
  hv::TProcessStart start;
  start.commandLine = commandLine;
  start.showCmd = SW_HIDE;
  return start;
}

using hosttest::ReadBytes;

TEST(Processes, ExitCodesComeBackAndACheckedRunNamesTheFailure) {
  EXPECT_EQ(hv::RunProcessWait(Command(L"cmd.exe /c exit 3")), 3u);
  EXPECT_EQ(hv::RunProcessWait(Command(L"cmd.exe /c exit 0")), 0u);
  try {
    hv::RunProcessChecked(Command(L"cmd.exe /c exit 3"));
    ADD_FAILURE() << "no error";
  } catch (const hv::EExtraInfoException& e) {
    EXPECT_EQ(e.Message(), L"Process \"cmd.exe /c exit 3\" failed with exit code (3)");
    EXPECT_EQ(e.ExtraInfo(), L"cmd.exe /c exit 3");
  }
  EXPECT_THROW(hv::RunProcessWait(Command(L"Z:\\no\\such\\program.exe")), hv::EOSError);
  // Wine starts a host program detached, without a handle: it counts as done at once.
  EXPECT_EQ(hv::RunProcessWait(Command(L"/bin/sh -c \"exit 3\"")), 0u);
}

TEST(Processes, TheChildGetsItsOwnEnvironmentAndFolderAndItsInput) {
  hvtest::ScratchDir dir;
  hv::THvStringList environment;
  hv::GetEnvironmentList(environment);
  ASSERT_GT(environment.IndexOfName(L"PATH"), -1);
  environment.Add(L"HV_CHILD_VALUE=\u00e9t\u00e9 42");
  hv::TProcessStart start = Command(L"cmd.exe /c \"echo %HV_CHILD_VALUE%>env.txt\"");
  start.environment = &environment;
  start.directory = dir.Path();
  EXPECT_EQ(hv::RunProcessWait(start), 0u);
  EXPECT_NE(ReadBytes(dir / L"env.txt").find("42"), std::string::npos) << ReadBytes(dir / L"env.txt");
  EXPECT_EQ(hv::BuildEnvironmentBlock(hv::THvStringList{L"A=1", L"B=2"}), std::wstring(L"A=1\0B=2\0\0", 9));
  EXPECT_EQ(hv::BuildEnvironmentBlock(hv::THvStringList{}), std::wstring(1, L'\0'));

  // With input the child starts on the pipe's read end.
  hv::TProcessStart fed = Command(L"cmd.exe /c exit 5");
  fed.inputText = L"b\r\na\r\n";
  EXPECT_EQ(hv::RunProcessWait(fed), 5u);
}

TEST(Processes, InputCannotGoToAnotherUsersProcess) {
  hv::TProcessStart start = Command(L"cmd.exe /c exit 0");
  start.inputText = L"x";
  start.userName = L"DOMAIN\\someone";
  try {
    PROCESS_INFORMATION info;
    hv::StartProcessLX(start, info);
    ADD_FAILURE() << "no error";
  } catch (const hv::Exception& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: cannot inherit handles while running process as another user.");
  }
}

}  // namespace
