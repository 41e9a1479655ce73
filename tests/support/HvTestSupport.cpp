#include "HvTestSupport.h"

#include "HvTracePlanter.h"

#include <atomic>
#include <optional>
#include <string>

namespace hvtest {
using hvplant::RemoveFolderTree;

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  std::wstring base = std::wstring(temp) + L"hvtest";
  CreateDirectoryW(base.c_str(), nullptr);
  FPath = base + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(counter++);
  RemoveFolderTree(FPath);
  CreateDirectoryW(FPath.c_str(), nullptr);
}

ScratchDir::~ScratchDir() { RemoveFolderTree(FPath); }

bool WriteTextFile(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return ok && written == bytes.size();
}

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

long RunProgram(std::wstring commandLine, const std::vector<std::pair<std::wstring, std::wstring>>& environment,
                DWORD timeoutMs) {
  // The child inherits this process's environment as it is at the start: set the extra pairs
  // here for the moment of the start.
  std::vector<std::pair<std::wstring, std::optional<std::wstring>>> saved;
  for (const auto& [name, value] : environment) {
    std::wstring old(32768, L'\0');
    const DWORD len = GetEnvironmentVariableW(name.c_str(), old.data(), static_cast<DWORD>(old.size()));
    saved.emplace_back(name, len ? std::optional(old.substr(0, len)) : std::nullopt);
    SetEnvironmentVariableW(name.c_str(), value.c_str());
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  for (const auto& [name, value] : saved)
    SetEnvironmentVariableW(name.c_str(), value ? value->c_str() : nullptr);
  if (!started) return -1;
  const bool ended = WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0;
  if (!ended) {
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 10000);
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return ended ? static_cast<long>(code) : -2;
}

}  // namespace hvtest
