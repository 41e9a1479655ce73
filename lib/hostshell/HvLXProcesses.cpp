#include "HvLXProcesses.h"

#include <memory>

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvHandles.h"
#include "HvLXHost.h"
#include "HvLXStrings.h"
#include "HvStringList.h"

namespace hv {
namespace {

constexpr DWORD kErrorElevationRequired = 740;
constexpr DWORD kLogonNetCredentialsOnly = 2;

TCreateProcess gCreateProcess = &CreateProcessW;
TCreatePipe gCreatePipe = &CreatePipe;
TCreateProcessWithLogon gCreateProcessWithLogon = &CreateProcessWithLogonW;

struct TFreeEnvironmentStrings {
  using Type = wchar_t*;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type block) noexcept { FreeEnvironmentStringsW(block); }
};

// The input pipe: the child reads it as its standard input. The text is written whole before
// the child starts, so the pipe's buffer holds all of it.
struct TInputPipe {
  UniqueKernelHandle read, write;
};

TInputPipe CreateInputPipe(const std::wstring& text) {
  const std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  TInputPipe pipe;
  HANDLE read = nullptr, write = nullptr;
  // Both ends are born private and only the read end is then handed to children: a write end
  // that was inheritable for a moment could go along with another thread's child started just
  // then, and our child would never see the end of its input and wait for it for ever.
  if (!gCreatePipe(&read, &write, nullptr, static_cast<DWORD>(bytes.size() * 2))) RaiseLastOSError();
  pipe.read.reset(read);
  pipe.write.reset(write);
  if (!SetHandleInformation(read, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) RaiseLastOSError();
  DWORD written = 0;
  if (!WriteFile(pipe.write.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
    RaiseLastOSError();
  if (written != bytes.size())
    throw Exception(Fmt(L"Internal Error: %d bytes were written to input stream, but %d bytes were expected.",
                        static_cast<int>(written), static_cast<int>(bytes.size())));
  return pipe;
}

void SetCompatLayerRunAsInvoker(TStrings& environment) {
  for (int i = environment.Count() - 1; i >= 0; --i)
    if (SameTextLX(environment.Names(i), L"__compat_layer")) environment.Delete(i);
  environment.Add(L"__compat_layer=RunAsInvoker");
}

bool CreateAsCurrentUser(const TProcessStart& start, std::wstring& environmentBlock, DWORD flags, bool inherit,
                         STARTUPINFOW& startup, PROCESS_INFORMATION& info) {
  std::wstring commandLine = start.commandLine;  // the call may write into it
  if (!gCreateProcess(nullptr, commandLine.data(), nullptr, nullptr, inherit, flags,
                      environmentBlock.empty() ? nullptr : environmentBlock.data(),
                      start.directory.empty() ? nullptr : start.directory.c_str(), &startup, &info))
    return false;
  KeepOnlyWhatWasStarted(info);
  return true;
}

}  // namespace

void KeepOnlyWhatWasStarted(PROCESS_INFORMATION& info) {
  if (!info.hProcess) info = {};
}

void StartProcessLX(const TProcessStart& start, PROCESS_INFORMATION& info) {
  info = {};
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(start.showCmd);
  const bool inherit = !start.inputText.empty();
  if (inherit && !start.userName.empty())
    throw Exception(L"Internal Error: cannot inherit handles while running process as another user.");
  TInputPipe input;
  if (inherit) {
    input = CreateInputPipe(start.inputText);
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdInput = input.read.get();
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  }
  DWORD flags = start.creationFlags;
  std::wstring environmentBlock;
  if (start.environment) {
    environmentBlock = BuildEnvironmentBlock(*start.environment);
    flags |= CREATE_UNICODE_ENVIRONMENT;
  }

  if (!start.userName.empty()) {
    const std::size_t backslash = start.userName.find(L'\\');
    const std::wstring domain = backslash == std::wstring::npos ? L"" : start.userName.substr(0, backslash);
    const std::wstring name = backslash == std::wstring::npos ? start.userName : start.userName.substr(backslash + 1);
    std::wstring commandLine = start.commandLine;
    if (!gCreateProcessWithLogon(name.c_str(), domain.c_str(), start.password.c_str(), kLogonNetCredentialsOnly,
                                 nullptr, commandLine.data(), flags,
                                 environmentBlock.empty() ? nullptr : environmentBlock.data(),
                                 start.directory.empty() ? nullptr : start.directory.c_str(), &startup, &info))
      RaiseLastOSError();
    KeepOnlyWhatWasStarted(info);
    return;
  }
  if (CreateAsCurrentUser(start, environmentBlock, flags, inherit, startup, info)) return;
  if (GetLastError() != kErrorElevationRequired) RaiseLastOSError();
  // The program asks for elevation in its manifest; the compatibility layer starts it as the
  // current user instead.
  THvStringList environment;
  if (start.environment)
    environment.Assign(*start.environment);
  else
    GetEnvironmentList(environment);
  SetCompatLayerRunAsInvoker(environment);
  environmentBlock = BuildEnvironmentBlock(environment);
  if (!CreateAsCurrentUser(start, environmentBlock, flags | CREATE_UNICODE_ENVIRONMENT, inherit, startup, info))
    RaiseLastOSError();
}

DWORD RunProcessWait(const TProcessStart& start) {
  PROCESS_INFORMATION info;
  StartProcessLX(start, info);
  const UniqueKernelHandle process(info.hProcess), thread(info.hThread);
  // Under Wine 8 (64- and 32-bit loaders alike) CreateProcessW starts a host program such as
  // /bin/bash detached: it succeeds with no process handle, so there is nothing to wait on and
  // no exit code to read.
  const bool hostShellCommand =
      StartsStrLX(L"/bin/bash ", start.commandLine) || StartsStrLX(L"/bin/sh ", start.commandLine);
  if (!process && hostShellCommand && UseWineTricks(L"always")) return 0;
  if (WaitForSingleObject(process.get(), INFINITE) == WAIT_FAILED) RaiseLastOSError();
  DWORD code = 0;
  if (!GetExitCodeProcess(process.get(), &code)) RaiseLastOSError();
  return code;
}

void RunProcessChecked(const TProcessStart& start) {
  const DWORD code = RunProcessWait(start);
  if (code != 0)
    throw EExtraInfoException(
        Fmt(L"Process \"%s\" failed with exit code (%d)", start.commandLine, static_cast<int>(code)),
        start.commandLine);
}

void GetEnvironmentList(TStrings& list) {
  const UniqueHandle<TFreeEnvironmentStrings> block(GetEnvironmentStringsW());
  if (!block) return;
  for (const wchar_t* item = block.get(); *item; item += wcslen(item) + 1) list.Add(item);
}

std::wstring BuildEnvironmentBlock(const TStrings& list) {
  std::wstring block;
  for (int i = 0; i < list.Count(); ++i) {
    block += list[i];
    block += L'\0';
  }
  block += L'\0';
  return block;
}

ScopedCreateProcess::ScopedCreateProcess(TCreateProcess replacement) : FSaved(gCreateProcess) {
  gCreateProcess = replacement;
}
ScopedCreateProcess::~ScopedCreateProcess() { gCreateProcess = FSaved; }

ScopedCreateProcessWithLogon::ScopedCreateProcessWithLogon(TCreateProcessWithLogon replacement)
    : FSaved(gCreateProcessWithLogon) {
  gCreateProcessWithLogon = replacement;
}
ScopedCreateProcessWithLogon::~ScopedCreateProcessWithLogon() { gCreateProcessWithLogon = FSaved; }

ScopedCreatePipe::ScopedCreatePipe(TCreatePipe replacement) : FSaved(gCreatePipe) { gCreatePipe = replacement; }
ScopedCreatePipe::~ScopedCreatePipe() { gCreatePipe = FSaved; }

}  // namespace hv
