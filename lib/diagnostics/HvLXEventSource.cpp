#include "HvLXEventSource.h"

#include <atomic>

#include "HvHandles.h"
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

std::wstring ReadString(HKEY key, const wchar_t* name) {
  wchar_t buffer[1024] = {};
  DWORD size = sizeof buffer - sizeof(wchar_t), type = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return {};
  return buffer;
}

DWORD ReadDword(HKEY key, const wchar_t* name) {
  DWORD value = 0, size = sizeof value, type = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD)
    return 0;
  return value;
}

}  // namespace

void RegisterEventSourceOnce(const std::wstring& source) noexcept {
  if (Registered.exchange(true)) return;
  try {
    if (!CarriesMessageTable() || !RunsElevated()) return;
    const std::wstring program = GetExeFileName();
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kEventLogSourcesKey + source).c_str(), 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &raw, nullptr) != ERROR_SUCCESS)
      return;
    UniqueHKey key(raw);
    if (ReadString(raw, L"EventMessageFile") != program)
      RegSetValueExW(raw, L"EventMessageFile", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(program.c_str()),
                     static_cast<DWORD>((program.size() + 1) * sizeof(wchar_t)));
    if (ReadDword(raw, L"TypesSupported") != kEventTypesSupported) {
      const DWORD types = kEventTypesSupported;
      RegSetValueExW(raw, L"TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types), sizeof types);
    }
  } catch (...) {
    // Without the registration Event Viewer shows the text less readably; nothing else changes.
  }
}

}  // namespace hv
