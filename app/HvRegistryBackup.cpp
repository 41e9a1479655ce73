#include "HvRegistryBackup.h"

#include <cstdint>
#include <vector>

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvLXAdminFolders.h"
#include "HvLXFiles.h"
#include "HvLXPaths.h"
#include "HvLXRegistryBase.h"
#include "HvLXSpecialFolders.h"
#include "HvRegFileFormat.h"
#include "HvRegistryKeyPath.h"

namespace hv {
namespace {

[[noreturn]] void CannotBackUp(const std::wstring& what, LSTATUS code) {
  throw EOSError(Fmt(L"Could not back up %s, so it was not deleted: %s", what, SysErrorMessage(code)),
                 static_cast<std::uint32_t>(code));
}

// The key opened for reading in the program's view; empty when it does not exist.
UniqueHKey OpenForBackup(HKEY parent, const std::wstring& key, const std::wstring& shownPath, REGSAM view) {
  HKEY raw = nullptr;
  const LSTATUS result = RegOpenKeyExW(parent, key.c_str(), 0, KEY_READ | view, &raw);
  if (result == ERROR_FILE_NOT_FOUND) return {};
  if (result != ERROR_SUCCESS) CannotBackUp(L"the registry key " + shownPath, result);
  return UniqueHKey(raw);
}

// Reads the value at `index` (or named `name` when index is negative) into name/type/data,
// asking again when it grew in between. Answers false when it is not there.
bool ReadValue(HKEY key, DWORD index, std::wstring& name, DWORD& type, std::vector<std::uint8_t>& data,
               const std::wstring& shownKey) {
  std::vector<wchar_t> nameBuffer(256);
  data.resize(256);
  for (;;) {
    DWORD nameLength = static_cast<DWORD>(nameBuffer.size()), size = static_cast<DWORD>(data.size());
    const LSTATUS result = RegEnumValueW(key, index, nameBuffer.data(), &nameLength, nullptr, &type, data.data(), &size);
    if (result == ERROR_NO_MORE_ITEMS) return false;
    if (result == ERROR_MORE_DATA) {
      DWORD maxName = 0, maxData = 0;
      const LSTATUS info = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData, nullptr, nullptr);
      if (info != ERROR_SUCCESS) CannotBackUp(L"the values of " + shownKey, info);
      nameBuffer.resize(std::max<std::size_t>(nameBuffer.size() * 2, maxName + 1));
      data.resize(std::max<std::size_t>(data.size() * 2, maxData));
      continue;
    }
    if (result != ERROR_SUCCESS) CannotBackUp(L"the values of " + shownKey, result);
    name.assign(nameBuffer.data(), nameLength);
    data.resize(size);
    return true;
  }
}

bool QueryValue(HKEY key, const std::wstring& name, DWORD& type, std::vector<std::uint8_t>& data, const std::wstring& shown) {
  for (;;) {
    DWORD size = static_cast<DWORD>(data.size());
    const LSTATUS result = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &size);
    if (result == ERROR_FILE_NOT_FOUND) return false;
    if (result == ERROR_MORE_DATA || (result == ERROR_SUCCESS && data.empty() && size > 0)) {
      data.resize(size);
      continue;
    }
    if (result != ERROR_SUCCESS) CannotBackUp(L"the registry value " + shown, result);
    data.resize(size);
    return true;
  }
}

std::vector<std::wstring> SubKeyNames(HKEY key, const std::wstring& shownKey) {
  std::vector<std::wstring> names;
  std::vector<wchar_t> buffer(256);
  for (DWORD i = 0;; ) {
    DWORD length = static_cast<DWORD>(buffer.size());
    const LSTATUS result = RegEnumKeyExW(key, i, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) return names;
    if (result == ERROR_MORE_DATA) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (result != ERROR_SUCCESS) CannotBackUp(L"the sub-keys of " + shownKey, result);
    names.emplace_back(buffer.data(), length);
    ++i;
  }
}

// The export of `key` and everything below it, parents before children as editors write them.
void ExportTree(HKEY key, const std::wstring& realPath, REGSAM view, std::wstring& text) {
  text += RegFileKeyHeader(realPath);
  std::wstring name;
  DWORD type = 0;
  std::vector<std::uint8_t> data;
  for (DWORD i = 0; ReadValue(key, i, name, type, data, realPath); ++i) text += RegFileValueLine(name, type, data);
  for (const std::wstring& child : SubKeyNames(key, realPath)) {
    UniqueHKey opened = OpenForBackup(key, child, realPath + L"\\" + child, view);
    // Each key under the place it really lives: below a merged key a child may come from the
    // other hive, and must be restored there.
    if (opened) ExportTree(opened.get(), RegistryKeyRealPath(opened.get()), view, text);
  }
}

std::wstring Timestamp() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return Fmt(L"%.4d-%.2d-%.2d %.2d-%.2d-%.2d", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

}  // namespace

std::wstring BackupTimeNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return std::to_wstring((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

std::wstring RegistryBackupFolder() { return AdminOnlyDataFolder(L"HalvernUninstaller\\Backups"); }

TRegistryBackup::TRegistryBackup(std::wstring folder)
    : FFolder(folder.empty() ? std::wstring() : IncludeTrailingBackslashLX(folder)) {}

void TRegistryBackup::BackupKey(HKEY root, const std::wstring& key) {
  const REGSAM view = ProgramRegistryViewFor(root, key);
  UniqueHKey opened = OpenForBackup(root, key, key, view);
  if (!opened) return;
  std::wstring text;
  ExportTree(opened.get(), RegistryKeyRealPath(opened.get()), view, text);
  Append(text);
}

void TRegistryBackup::BackupValue(HKEY root, const std::wstring& key, const std::wstring& name) {
  UniqueHKey opened = OpenForBackup(root, key, key, ProgramRegistryViewFor(root, key));
  if (!opened) return;
  DWORD type = 0;
  std::vector<std::uint8_t> data;
  const std::wstring realPath = RegistryKeyRealPath(opened.get());
  if (!QueryValue(opened.get(), name, type, data, realPath + L"\\" + name)) return;
  Append(RegFileKeyHeader(realPath) + RegFileValueLine(name, type, data));
}

void TRegistryBackup::RecordRecycled(const std::wstring& path) {
  if (path.find_first_of(L"\r\n") != std::wstring::npos)
    throw EHvGeneralError(Fmt(L"The folder \"%s\" has a line break in its name, which a backup file cannot hold.", path));
  Append(kRecycledMarker + BackupTimeNow() + L" " + path + L"\r\n");
}

void TRegistryBackup::Append(const std::wstring& text) {
  if (!FFile) {
    // Made (or checked) when the first entry comes: a removal that deletes nothing needs none.
    if (FFolder.empty())
      FFolder = RegistryBackupFolder();
    else
      ForceDirectoriesLX(FFolder);
    const std::wstring stem = FFolder + L"Registry backup " + Timestamp();
    // A new file each time: a backup never goes into, or over, another one.
    for (int n = 1; !FFile; ++n) {
      const std::wstring path = stem + (n == 1 ? std::wstring() : Fmt(L" (%d)", n)) + L".reg";
      FFile.reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
      const DWORD error = GetLastError();
      if (!FFile && (error != ERROR_FILE_EXISTS || n > 100))
        throw EOSError(Fmt(L"Could not create the registry backup %s: %s", path, SysErrorMessage(error)), error);
      if (FFile) FPath = path;
    }
    // Editors skip the comment; the restore takes only a file that carries it.
    Append(L"\xFEFF" + std::wstring(kRegFileHeader) + kBackupMarker +
           Fmt(L"%s (process %u)\r\n", Timestamp(), static_cast<unsigned>(GetCurrentProcessId())));
  }
  const DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  DWORD written = 0;
  // On disk before the deletion it protects.
  if (!WriteFile(FFile.get(), text.data(), size, &written, nullptr) || written != size || !FlushFileBuffers(FFile.get())) {
    const DWORD error = GetLastError();
    throw EOSError(Fmt(L"Could not write the registry backup %s: %s", FPath, SysErrorMessage(error)), error);
  }
}

}  // namespace hv
