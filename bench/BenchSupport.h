// Helpers of the benchmarks: a clock, and the host shell (Wine), which makes large trees of
// files far faster than the system calls under test can.
#pragma once

#include <string>

#include "HvWindows.h"

namespace bench {

inline double Now() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / frequency.QuadPart;
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

// Runs `command` with the host's shell and waits for it: Wine starts host programs detached,
// so the end is seen through a marker file in `scratch`. The command must hold no double
// quote.
inline void RunOnHost(const std::string& command, const std::wstring& scratch) {
  const std::wstring marker = scratch + L"\\host.done";
  DeleteFileW(marker.c_str());
  const std::string full = command + "; touch " + Quoted(HostPath(marker));
  std::wstring line = L"Z:\\bin\\sh -c \"" + std::wstring(full.begin(), full.end()) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  while (GetFileAttributesW(marker.c_str()) == INVALID_FILE_ATTRIBUTES) Sleep(1);
  DeleteFileW(marker.c_str());
}

}  // namespace bench
