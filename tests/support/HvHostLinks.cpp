#include "HvHostLinks.h"

#include <gtest/gtest.h>

#include <atomic>

#include "HvLXProcesses.h"
#include "HvWindows.h"

namespace filestest {
namespace {

template <class F>
F WineExport(const char* name) {
  return reinterpret_cast<F>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name));
}

std::string Narrow(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  out.resize(size - 1);
  return out;
}

std::wstring Widen(const std::string& text) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  std::wstring out(size, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), size);
  out.resize(size - 1);
  return out;
}

}  // namespace

std::string HostPath(const std::wstring& path) {
  using Fn = char*(CDECL*)(LPCWSTR);
  static Fn toUnix = WineExport<Fn>("wine_get_unix_file_name");
  if (!toUnix) return {};
  char* raw = toUnix(path.c_str());
  std::string out = raw ? raw : "";
  HeapFree(GetProcessHeap(), 0, raw);
  return out;
}

std::wstring DosPath(const std::string& hostPath) {
  using Fn = WCHAR*(CDECL*)(LPCSTR);
  static Fn toDos = WineExport<Fn>("wine_get_dos_file_name");
  if (!toDos) return {};
  WCHAR* raw = toDos(hostPath.c_str());
  std::wstring out = raw ? raw : L"";
  HeapFree(GetProcessHeap(), 0, raw);
  return out;
}

std::string ShellQuote(const std::string& word) {
  std::string out = "'";
  for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

void RunHostScript(const std::string& script) {
  // Wine starts host programs detached, so completion is signalled through a marker file.
  static std::atomic<int> counter{0};
  hvtest::ScratchDir markerDir;
  const std::wstring marker = markerDir / (L"done" + std::to_wstring(counter++));
  const std::string full = script + "; touch " + ShellQuote(HostPath(marker));
  ASSERT_EQ(full.find('"'), std::string::npos) << full;
  std::wstring command = L"Z:\\bin\\sh -c \"" + Widen(full) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      << GetLastError();
  hv::KeepOnlyWhatWasStarted(pi);
  if (pi.hProcess) CloseHandle(pi.hProcess);
  if (pi.hThread) CloseHandle(pi.hThread);
  while (!hvtest::PathExists(marker)) Sleep(5);
}

bool HostIsLink(const std::wstring& path) {
  hvtest::ScratchDir flagDir;
  const std::wstring flag = flagDir / L"is-link";
  RunHostScript("if test -L " + ShellQuote(HostPath(path)) + "; then touch " + ShellQuote(HostPath(flag)) + "; fi");
  return hvtest::PathExists(flag);
}

HostLinks::~HostLinks() {
  std::string script = "true";
  for (const std::wstring& link : FLinks) script += "; rm -f " + ShellQuote(HostPath(link));
  RunHostScript(script);
}

void HostLinks::Make(const std::wstring& link, const std::wstring& target) {
  RunHostScript("ln -s " + ShellQuote(HostPath(target)) + " " + ShellQuote(HostPath(link)));
  FLinks.push_back(link);
  if (hvtest::PathExists(target)) {
    ASSERT_TRUE(hvtest::PathExists(link)) << Narrow(link);
  }
}

Canary::Canary() {
  CreateDirectoryW(Folder().c_str(), nullptr);
  hvtest::WriteTextFile(File(), "canary");
  hvtest::WriteTextFile(Folder() + L"\\inner.txt", "canary");
}

bool Canary::Intact() const {
  return hvtest::PathExists(File()) && hvtest::PathExists(Folder() + L"\\inner.txt");
}

}  // namespace filestest
