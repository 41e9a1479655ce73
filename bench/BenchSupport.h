// Helpers of the benchmarks: the size argument, answer checks, a clock, registry calls in the
// program's view, and the host shell (Wine), which makes large trees of files far faster than
// the system calls under test can.
//
// Every benchmark takes one optional argument, a positive whole number N: `name.exe N`.
// N is the count its first output line names (entries, files, calls, megabytes, strings);
// without it the benchmark runs at its full size, the one whose figures the notes quote. CI
// runs each at a small N (bench/CMakeLists.txt).
//
// A benchmark fails (exit code 1) when one of its answers is wrong, and only then: each wrong
// answer prints one line "FAILED: <what>". Times and ratios are printed, never judged. A crash
// or an uncaught exception also prints one FAILED line and ends the program with a non-zero
// code.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <exception>
#include <optional>
#include <string>

#include "HvLXHostScripts.h"
#include "HvLXProcesses.h"
#include "HvLXRegistryBase.h"
#include "HvWindows.h"

namespace bench {

inline int& Failures() {
  static int failures = 0;
  return failures;
}

// Records a wrong answer when `ok` is false and says what it was; returns `ok`.
inline bool Check(bool ok, const char* format, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 2, 3)));
inline bool Check(bool ok, const char* format, ...) {
  if (ok) return true;
  ++Failures();
  std::va_list args;
  va_start(args, format);
  std::printf("FAILED: ");
  std::vprintf(format, args);
  std::printf("\n");
  va_end(args);
  std::fflush(stdout);
  return false;
}

// The program's exit code: 0 when every check passed.
inline int ExitCode() {
  std::fflush(stdout);
  return Failures() == 0 ? 0 : 1;
}

namespace detail {

inline LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
  std::printf("FAILED: crashed with exception 0x%08lX\n",
              static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
  std::fflush(stdout);
  return EXCEPTION_EXECUTE_HANDLER;
}

inline void ReportUncaught() {
  std::string what = "unknown exception";
  try {
    if (std::exception_ptr current = std::current_exception()) std::rethrow_exception(current);
  } catch (const std::exception& e) {
    what = e.what();
  } catch (...) {
  }
  std::printf("FAILED: uncaught exception: %s\n", what.c_str());
  std::fflush(stdout);
  ExitProcess(3);
}

}  // namespace detail

// Call first in wmain: reports crashes as failures (instead of a debugger that waits), and
// returns N from the command line, or `fullSize` without an argument. A malformed argument
// ends the program with a usage line.
inline int Start(int argc, wchar_t** argv, int fullSize) {
  SetUnhandledExceptionFilter(detail::ReportCrash);
  std::set_terminate(detail::ReportUncaught);
  hv::InstallHostScriptRunner();
  if (argc < 2) return fullSize;
  wchar_t* end = nullptr;
  const long n = std::wcstol(argv[1], &end, 10);
  if (argc > 2 || end == argv[1] || *end != L'\0' || n < 1 || n > 1'000'000'000) {
    std::printf("FAILED: usage: %ls [N], N a positive whole number (full size %d)\n", argv[0], fullSize);
    std::fflush(stdout);
    std::exit(2);
  }
  return static_cast<int>(n);
}

inline double Now() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / frequency.QuadPart;
}

// Baselines open keys in the same registry view as the code they are compared with: under
// Wine the 32-bit view costs a 64-bit process several times the native one.
constexpr REGSAM kView = hv::kProgramRegistryView;

// Deletes `key` below `root` with everything in it, in the program's view; true when it is
// gone. RegDeleteTreeW takes no view, so the tree goes through a handle opened in the view.
inline bool DeleteKeyTree(HKEY root, const std::wstring& key) {
  HKEY handle = nullptr;
  const REGSAM view = hv::ProgramRegistryViewFor(root, key);
  const LSTATUS opened = RegOpenKeyExW(root, key.c_str(), 0, KEY_ALL_ACCESS | view, &handle);
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  const LSTATUS emptied = RegDeleteTreeW(handle, nullptr);
  RegCloseKey(handle);
  return emptied == ERROR_SUCCESS && RegDeleteKeyExW(root, key.c_str(), view, 0) == ERROR_SUCCESS;
}

inline bool KeyExists(HKEY root, const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | hv::ProgramRegistryViewFor(root, key), &handle) != ERROR_SUCCESS)
    return false;
  RegCloseKey(handle);
  return true;
}

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs this benchmark's own program again with `arguments` (the half of a measurement that must
// have a process of its own: its own peak memory, its own caches, its own environment) and
// waits for it. `environment`: a block as CreateProcessW takes it, or this one's. Its exit
// code; nothing when it could not start.
inline std::optional<DWORD> RunSelf(const std::wstring& arguments, wchar_t* environment = nullptr) {
  wchar_t self[MAX_PATH * 2];
  GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
  std::wstring line = L"\"" + std::wstring(self) + L"\" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, environment ? CREATE_UNICODE_ENVIRONMENT : 0,
                      environment, nullptr, &si, &pi))
    return std::nullopt;
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

// The host path of a Windows path; empty outside Wine.
inline std::string HostPath(const std::wstring& path) {
  using Fn = char*(CDECL*)(LPCWSTR);
  auto toUnix = reinterpret_cast<Fn>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
  if (!toUnix) return {};
  char* raw = toUnix(path.c_str());
  std::string out = raw ? raw : "";
  HeapFree(GetProcessHeap(), 0, raw);
  return out;
}

// A host path as one word of a shell command.
inline std::string Quoted(const std::string& word) {
  std::string out = "'";
  for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Runs `command` with the host's shell and waits for it; true when it ran and succeeded. Wine
// starts host programs detached, so the end, and the command's exit status, are seen through
// a marker file in `scratch`. The command must hold no double quote.
inline bool RunOnHost(const std::string& command, const std::wstring& scratch) {
  const std::wstring marker = scratch + L"\\host.done";
  DeleteFileW(marker.c_str());
  const std::string at = Quoted(HostPath(marker));
  // The status goes to a side file first, so the marker never appears half written.
  const std::string full = "(" + command + "); echo $? > " + at + ".part && mv " + at + ".part " + at;
  std::wstring line = L"Z:\\bin\\sh -c \"" + std::wstring(full.begin(), full.end()) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  hv::KeepOnlyWhatWasStarted(pi);
  if (pi.hThread) CloseHandle(pi.hThread);
  if (pi.hProcess) CloseHandle(pi.hProcess);
  while (GetFileAttributesW(marker.c_str()) == INVALID_FILE_ATTRIBUTES) Sleep(1);
  int status = -1;
  if (FILE* f = _wfopen(marker.c_str(), L"r")) {
    if (std::fscanf(f, "%d", &status) != 1) status = -1;
    std::fclose(f);
  }
  DeleteFileW(marker.c_str());
  return status == 0;
}

}  // namespace bench
