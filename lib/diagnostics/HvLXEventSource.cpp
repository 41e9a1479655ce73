#include "HvLXEventSource.h"

#include <atomic>

#include "HvHandles.h"
#include "HvLXAdminFolders.h"
#include "HvLXSpecialFolders.h"
#include "HvWindows.h"

namespace hv {
namespace {

std::atomic<bool> Registered{false};

// The plain calls rather than the registry layer's, whose failures raise: a raise here would be
// reported, inside a report.

bool RunsElevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  UniqueKernelHandle owned(token);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) && elevation.TokenIsElevated;
}

bool CarriesMessageTable() { return FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MESSAGETABLE) != nullptr; }

}  // namespace

bool RegisterEventSourceFor(const std::wstring& source, const std::wstring& programFile) noexcept {
  try {
    const std::size_t sep = programFile.find_last_of(L'\\');
    if (sep == std::wstring::npos || !IsAdminOnlyPath(programFile.substr(0, sep))) return false;
    {
      UniqueFileHandle file(CreateFileW(programFile.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
      if (!file || IsReparsePoint(file.get()) || !IsAdminOnly(file.get())) return false;
    }
    HKEY raw = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kEventLogSourcesKey + source).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &raw, &disposition) != ERROR_SUCCESS)
      return false;
    UniqueHKey key(raw);
    // Only a key made just now is ours to fill.
    if (disposition != REG_CREATED_NEW_KEY) return false;
    const DWORD types = kEventTypesSupported;
    return RegSetValueExW(raw, L"EventMessageFile", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(programFile.c_str()),
                          static_cast<DWORD>((programFile.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS &&
           RegSetValueExW(raw, L"TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types), sizeof types) ==
               ERROR_SUCCESS;
  } catch (...) {
    // Without the registration Event Viewer shows the text less readably; nothing else changes.
    return false;
  }
}

void RegisterEventSourceOnce() noexcept {
  if (Registered.exchange(true)) return;
  try {
    if (!CarriesMessageTable() || !RunsElevated()) return;
    RegisterEventSourceFor(kEventSourceName, GetExeFileName());
  } catch (...) {
  }
}

}  // namespace hv
