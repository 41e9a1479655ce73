// Child processes: a command line started with optional input (through a pipe), its own
// environment or another user's identity, and waited for.
#pragma once

#include <string>

#include "HvStrings.h"
#include "HvWindows.h"

namespace hv {

// What a process is started with; empty texts and a null environment mean "none".
struct TProcessStart {
  std::wstring commandLine;
  std::wstring directory;
  int showCmd = SW_SHOWNORMAL;
  DWORD creationFlags = 0;
  std::wstring userName;  // "DOMAIN\name" or "name"; empty: the current user
  std::wstring password;
  const TStrings* environment = nullptr;  // "NAME=value" items
  std::wstring inputText;                 // written to standard input as UTF-16LE
};

// To call on the answer of every successful process start before its handles are kept or closed.
// Wine 8 starts a host program (such as /bin/bash) detached and answers success with no process
// handle, leaving the thread handle and both ids as whatever its stack held: a caller that
// closed that "thread handle" would close some other part's handle (seen: the cached handle of
// HKEY_LOCAL_MACHINE, after which every registry call from that root failed). Without a process
// handle nothing of the answer is the caller's, and it is cleared whole.
void KeepOnlyWhatWasStarted(PROCESS_INFORMATION& info);
// Starts the process. With input the child inherits handles, which another user's identity
// cannot (raises an internal error before anything starts). A start refused with error 740
// (elevation required) is tried once more with "__compat_layer=RunAsInvoker". Raises EOSError
// when it cannot start. `info` holds the handles, which the caller closes; under Wine a host
// program comes back without any.
void StartProcessLX(const TProcessStart& start, PROCESS_INFORMATION& info);
// Starts the process and waits for its exit code. Under Wine a host shell command gives no
// handle to wait on: it counts as exit code 0 at once.
DWORD RunProcessWait(const TProcessStart& start);
// As RunProcessWait; a nonzero exit code raises EExtraInfoException
// "Process \"<command line>\" failed with exit code (<code>)".
void RunProcessChecked(const TProcessStart& start);

// The current process environment, one "NAME=value" item per variable.
void GetEnvironmentList(TStrings& list);
// Each item followed by a NUL, the whole followed by one more NUL.
std::wstring BuildEnvironmentBlock(const TStrings& list);

// Test seam: CreateProcessW for starts as the current user. Wine elevates a program that asks
// for it instead of refusing with error 740, so a test replaces the call to see the refusal.
using TCreateProcess = decltype(&CreateProcessW);
class ScopedCreateProcess {
 public:
  explicit ScopedCreateProcess(TCreateProcess replacement);
  ~ScopedCreateProcess();
  ScopedCreateProcess(const ScopedCreateProcess&) = delete;
  ScopedCreateProcess& operator=(const ScopedCreateProcess&) = delete;

 private:
  TCreateProcess FSaved;
};

// Test seam: CreateProcessWithLogonW for starts as another user. Wine has no logon and refuses
// every such start, so only a replacement shows what the start asks for.
using TCreateProcessWithLogon = decltype(&CreateProcessWithLogonW);
class ScopedCreateProcessWithLogon {
 public:
  explicit ScopedCreateProcessWithLogon(TCreateProcessWithLogon replacement);
  ~ScopedCreateProcessWithLogon();
  ScopedCreateProcessWithLogon(const ScopedCreateProcessWithLogon&) = delete;
  ScopedCreateProcessWithLogon& operator=(const ScopedCreateProcessWithLogon&) = delete;

 private:
  TCreateProcessWithLogon FSaved;
};

// Test seam: CreatePipe for the input pipe. A moment in which a pipe end is inheritable cannot
// be caught from outside; a test that wraps the call sees the ends as they are born.
using TCreatePipe = decltype(&CreatePipe);
class ScopedCreatePipe {
 public:
  explicit ScopedCreatePipe(TCreatePipe replacement);
  ~ScopedCreatePipe();
  ScopedCreatePipe(const ScopedCreatePipe&) = delete;
  ScopedCreatePipe& operator=(const ScopedCreatePipe&) = delete;

 private:
  TCreatePipe FSaved;
};

}  // namespace hv
