// Running shell scripts in the host system from inside Wine: the script and its output travel
// through files in a work folder of the library's temporary folder, and a completion file
// says when the script is done (Wine starts host programs detached, see HvLXProcesses.cpp).
#pragma once

#include <cstdint>
#include <string>

namespace hv {

// Makes this runner the one the layers below use (Wine_RunScript); programs call it first.
void InstallHostScriptRunner();

// Runs `scriptText` in the host shell and answers what it printed (output and errors, read as
// UTF-8). The first script of the process tests the shell with "echo abc" and raises
// EHvGeneralError with the reason when that fails. After 275 ms a cancellable progress window
// (with `progressMessage`, or "Running script ...") can end the wait with EAbort. A script that
// cannot finish raises EExtraInfoException (with what it printed so far as extra information):
// its shell did not start within 5 minutes, ended without finishing (an "exit" in the script,
// a kill; seen where the host shows its processes under Z:\proc), or it ran for 30 minutes.
// Raises an internal error outside Wine and on Chrome OS.
std::wstring RunScriptInHost(const std::wstring& title, const std::wstring& scriptText,
                             const std::wstring& progressMessage);

// "/bin/bash" or "/bin/sh", whichever exists (in that order); raises EExtraInfoException
// "Neither /bin/bash or /bin/sh exist." when neither does. Under Wine only.
std::wstring GetShellPath();
bool ShellExists();

// The script text in the system's 8-bit code page, where the UTF-8 script file cannot be
// written: every character exactly, never a look-alike; raises EHvGeneralError when the code
// page lacks one.
std::string HostScriptAnsiBytes(const std::wstring& text);

// The CRC-32 (as zlib computes it) of the UTF-16LE bytes of `text`.
std::uint32_t TextCrc32(const std::wstring& text);

// Test seam: other limits for a script's start and run, in milliseconds, within the scope.
class ScopedHostScriptLimits {
 public:
  ScopedHostScriptLimits(std::uint32_t startMs, std::uint32_t runMs);
  ~ScopedHostScriptLimits();
  ScopedHostScriptLimits(const ScopedHostScriptLimits&) = delete;
  ScopedHostScriptLimits& operator=(const ScopedHostScriptLimits&) = delete;

 private:
  std::uint32_t FSavedStart, FSavedRun;
};

// Test seam: within the scope the shells are looked for in the folder `dosRoot` (standing for the
// host's "/"; normally Z:) and named with `hostRoot`, its host path (normally empty), so a host
// without them, or with a shell that answers wrongly, can be shown.
class ScopedHostShellRoot {
 public:
  ScopedHostShellRoot(const std::wstring& dosRoot, const std::wstring& hostRoot);
  ~ScopedHostShellRoot();
  ScopedHostShellRoot(const ScopedHostShellRoot&) = delete;
  ScopedHostShellRoot& operator=(const ScopedHostShellRoot&) = delete;

 private:
  std::wstring FSavedRoot, FSavedHostRoot, FSavedPath;
};

// Test seam: within the scope the shell counts as untested, so the next script tests it.
class ScopedUntestedShell {
 public:
  ScopedUntestedShell();
  ~ScopedUntestedShell();
  ScopedUntestedShell(const ScopedUntestedShell&) = delete;
  ScopedUntestedShell& operator=(const ScopedUntestedShell&) = delete;

 private:
  bool FSaved;
};

}  // namespace hv
