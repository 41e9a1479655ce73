#include <gtest/gtest.h>

#include "ExeFolder.h"
#include "HostTestFiles.h"

#include "HvExceptions.h"
#include "HvHandles.h"
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

// Puts `value` into every pointer-sized slot of the stack below the caller's frame, where the
// next call finds it in whatever it leaves unset.
__attribute__((noinline)) void LeaveOnTheStack(HANDLE value) {
  volatile HANDLE slots[16384];
  for (volatile HANDLE& slot : slots) slot = value;
}

// Wine answers the start of a host program with its stack's leftovers as thread handle and ids;
// with a handle of ours lying there, the start must neither close it nor hand it out.
TEST(Processes, StartingAHostProgramClosesNoHandleOfOthers) {
  const hv::UniqueKernelHandle ours(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(ours);
  DWORD flags = 0;
  LeaveOnTheStack(ours.get());
  EXPECT_EQ(hv::RunProcessWait(Command(L"/bin/sh -c \"exit 0\"")), 0u);
  EXPECT_TRUE(GetHandleInformation(ours.get(), &flags)) << "closed by the start, error " << GetLastError();

  PROCESS_INFORMATION info;
  LeaveOnTheStack(ours.get());
  hv::StartProcessLX(Command(L"/bin/sh -c \"exit 0\""), info);
  EXPECT_EQ(info.hProcess, nullptr);
  EXPECT_EQ(info.hThread, nullptr);
  EXPECT_EQ(info.dwProcessId, 0u);
  EXPECT_EQ(info.dwThreadId, 0u);
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

  // With input the child reads the whole text, as UTF-16LE, on its standard input.
  hv::TProcessStart fed = Command(L"\"" + hvtest::ExeFolder() + L"\\hv_stdin_copy.exe\" input.bin");
  fed.directory = dir.Path();
  const std::wstring text = L"b\r\n\u00e4 \u65e5\r\n" + std::wstring(3000, L'x');
  fed.inputText = text;
  EXPECT_EQ(hv::RunProcessWait(fed), 0u);
  const std::string bytes = ReadBytes(dir / L"input.bin");
  EXPECT_EQ(bytes, std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
}

// Whether each end of the input pipe could be inherited the moment it was made.
struct TPipeBirth {
  bool readInheritable = false, writeInheritable = false;
  int pipes = 0;
} gPipeBirth;

BOOL WINAPI RecordingCreatePipe(PHANDLE read, PHANDLE write, LPSECURITY_ATTRIBUTES attributes, DWORD size) {
  if (!CreatePipe(read, write, attributes, size)) return FALSE;
  DWORD flags = 0;
  gPipeBirth.readInheritable = GetHandleInformation(*read, &flags) && (flags & HANDLE_FLAG_INHERIT);
  gPipeBirth.writeInheritable = GetHandleInformation(*write, &flags) && (flags & HANDLE_FLAG_INHERIT);
  ++gPipeBirth.pipes;
  return TRUE;
}

TEST(Processes, TheInputPipesWriteEndIsNeverInheritableNotEvenForAMoment) {
  // Another thread starting a child with inherited handles at that moment would hand it the
  // write end, and our child would wait for the end of its input for ever.
  hvtest::ScratchDir dir;
  hv::ScopedCreatePipe seam(&RecordingCreatePipe);
  gPipeBirth = {};
  hv::TProcessStart fed = Command(L"\"" + hvtest::ExeFolder() + L"\\hv_stdin_copy.exe\" input.bin");
  fed.directory = dir.Path();
  fed.inputText = L"abc";
  EXPECT_EQ(hv::RunProcessWait(fed), 0u);
  EXPECT_EQ(gPipeBirth.pipes, 1);
  EXPECT_FALSE(gPipeBirth.writeInheritable);
  EXPECT_FALSE(gPipeBirth.readInheritable) << "made inheritable afterwards, on its own";
  EXPECT_EQ(ReadBytes(dir / L"input.bin"), std::string("a\0b\0c\0", 6));
}

// The seam's answers: error 740 for the first start, the system's own start afterwards.
int gStarts = 0;
DWORD gRefusal = 0;
BOOL WINAPI RefuseFirstStart(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                             LPSECURITY_ATTRIBUTES threadAttributes, BOOL inherit, DWORD flags, LPVOID environment,
                             LPCWSTR directory, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION info) {
  if (gStarts++ == 0) {
    SetLastError(gRefusal);
    return FALSE;
  }
  return CreateProcessW(application, commandLine, processAttributes, threadAttributes, inherit, flags, environment,
                        directory, startup, info);
}

TEST(Processes, AStartRefusedForElevationIsRetriedAsInvokerOnce) {
  hvtest::ScratchDir dir;
  hv::ScopedCreateProcess seam(&RefuseFirstStart);
  hv::THvStringList environment{L"SystemRoot=C:\\windows", L"__COMPAT_LAYER=Elevated", L"HV_CHILD_VALUE=kept"};
  for (const hv::TStrings* given : {static_cast<const hv::TStrings*>(&environment), static_cast<const hv::TStrings*>(nullptr)}) {
    gStarts = 0;
    gRefusal = 740;
    hv::TProcessStart start = Command(L"cmd.exe /c \"echo %__compat_layer%/%HV_CHILD_VALUE%>compat.txt\"");
    start.directory = dir.Path();
    start.environment = given;
    EXPECT_EQ(hv::RunProcessWait(start), 0u);
    EXPECT_EQ(gStarts, 2);
    // The layer replaces any the caller gave, whatever its case; the rest of the environment stays.
    EXPECT_EQ(ReadBytes(dir / L"compat.txt"), given ? "RunAsInvoker/kept\r\n" : "RunAsInvoker/%HV_CHILD_VALUE%\r\n");
  }
  gStarts = 0;
  gRefusal = ERROR_ACCESS_DENIED;
  EXPECT_THROW(hv::RunProcessWait(Command(L"cmd.exe /c exit 0")), hv::EOSError);
  EXPECT_EQ(gStarts, 1) << "only an elevation refusal is tried again";
}

TEST(Processes, AnotherUsersStartNeverRunsAsTheCurrentUser) {
  // Wine 8 has no logon: its CreateProcessWithLogonW refuses every start (without an error code).
  // The start then fails as a whole; it never falls back to the current user's identity.
  hvtest::ScratchDir dir;
  hv::THvStringList environment{L"SystemRoot=C:\\windows"};
  hv::TProcessStart start = Command(L"cmd.exe /c \"echo ran>who.txt\"");
  start.userName = L"WORKGROUP\\someone";
  start.password = L"secret";
  start.directory = dir.Path();
  start.environment = &environment;
  EXPECT_THROW(hv::RunProcessWait(start), hv::EOSError);
  EXPECT_FALSE(hvtest::PathExists(dir / L"who.txt"));
}

// What a start as another user asked the system for.
struct TLogonStart {
  std::wstring user, domain, password, commandLine;
  DWORD logonFlags = 0;
  bool environmentGiven = false;
} gLogon;

BOOL WINAPI RecordingLogonStart(LPCWSTR user, LPCWSTR domain, LPCWSTR password, DWORD logonFlags, LPCWSTR,
                                LPWSTR commandLine, DWORD, LPVOID environment, LPCWSTR, LPSTARTUPINFOW,
                                LPPROCESS_INFORMATION info) {
  gLogon = {user ? user : L"", domain ? domain : L"", password ? password : L"", commandLine ? commandLine : L"",
            logonFlags, environment != nullptr};
  *info = {};
  SetLastError(ERROR_LOGON_FAILURE);
  return FALSE;
}

TEST(Processes, AnotherUsersStartSplitsTheDomainAndUsesNetworkCredentialsOnly) {
  hv::ScopedCreateProcessWithLogon seam(&RecordingLogonStart);
  struct Case {
    std::wstring userName, user, domain;
  } cases[] = {{L"WORKGROUP\\someone", L"someone", L"WORKGROUP"}, {L"someone", L"someone", L""},
               {L"A\\B\\c", L"B\\c", L"A"}};
  for (const Case& c : cases) {
    gLogon = {};
    hv::TProcessStart start = Command(L"cmd.exe /c exit 0");
    start.userName = c.userName;
    start.password = L"se cret";
    try {
      hv::RunProcessWait(start);
      ADD_FAILURE() << "a refused start raised nothing";
    } catch (const hv::EOSError& e) {
      EXPECT_EQ(e.ErrorCode(), static_cast<unsigned>(ERROR_LOGON_FAILURE)) << c.userName;
    }
    EXPECT_EQ(gLogon.user, c.user) << c.userName;
    EXPECT_EQ(gLogon.domain, c.domain) << c.userName;
    EXPECT_EQ(gLogon.password, L"se cret") << c.userName;
    EXPECT_EQ(gLogon.commandLine, L"cmd.exe /c exit 0") << c.userName;
    EXPECT_EQ(gLogon.logonFlags, static_cast<DWORD>(LOGON_NETCREDENTIALS_ONLY)) << c.userName;
    EXPECT_FALSE(gLogon.environmentGiven) << c.userName;
  }
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
