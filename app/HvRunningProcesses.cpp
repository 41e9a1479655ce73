#include "HvRunningProcesses.h"

#include <tlhelp32.h>

#include "HvExceptions.h"
#include "HvHandles.h"
#include "HvLXFiles.h"
#include "HvLXPaths.h"
#include "HvLXStrings.h"

namespace hv {
namespace {

bool LiesInside(const std::wstring& path, const std::wstring& folder) {
  const std::wstring prefix = IncludeTrailingBackslashLX(folder);
  return path.size() > prefix.size() && SameTextOrdinal(std::wstring_view(path).substr(0, prefix.size()), prefix);
}

std::wstring EnvironmentFolder(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), size));
  return value;
}

}  // namespace

std::wstring ProcessImagePath(DWORD id, const FILETIME* startedAt) {
  const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!process) return {};
  if (startedAt) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process.get(), &created, &exited, &kernel, &user) || CompareFileTime(&created, startedAt) != 0)
      return {};
  }
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    if (QueryFullProcessImageNameW(process.get(), 0, buffer.data(), &length)) return std::wstring(buffer.data(), length);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::vector<TRunningProcess> ProcessesRunningFrom(const std::vector<std::wstring>& folders) {
  const UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) RaiseLastOSError();
  std::vector<TRunningProcess> running;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == 0 || entry.th32ProcessID == GetCurrentProcessId()) continue;
    const std::wstring image = ProcessImagePath(entry.th32ProcessID);
    if (image.empty()) continue;
    for (const std::wstring& folder : folders) {
      if (!LiesInside(image, folder)) continue;
      running.push_back({entry.th32ProcessID, image});
      break;
    }
  }
  return running;
}

std::vector<std::wstring> InstallationFoldersInBothViews(const std::vector<std::wstring>& suffixes) {
  std::vector<std::wstring> roots{GetProgramFilesFolder()};
  // Set on 64-bit Windows for 32-bit and 64-bit processes alike.
  const std::wstring native = EnvironmentFolder(L"ProgramW6432");
  if (!native.empty() && !SameTextOrdinal(native, roots[0])) roots.push_back(native);
  std::vector<std::wstring> folders;
  for (const std::wstring& root : roots)
    for (const std::wstring& suffix : suffixes) folders.push_back(ExcludeTrailingBackslashLX(root) + suffix);
  return folders;
}

}  // namespace hv
