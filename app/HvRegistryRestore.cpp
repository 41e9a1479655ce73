#include "HvRegistryRestore.h"

#include <optional>

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvLXRegistryBase.h"
#include "HvLXStrings.h"

namespace hv {
namespace {

struct TRootAndKey {
  HKEY Root;
  std::wstring Key;  // below the root, without a leading backslash
};

TRootAndKey SplitRoot(const std::wstring& path) {
  for (auto [name, root] : {std::pair{L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}, std::pair{L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                            std::pair{L"HKEY_USERS", HKEY_USERS}}) {
    const std::wstring prefix = std::wstring(name) + L"\\";
    if (path.size() > prefix.size() && SameTextOrdinal(std::wstring_view(path).substr(0, prefix.size()), prefix))
      return {root, path.substr(prefix.size())};
  }
  throw EHvGeneralError(Fmt(L"The registry key %s lies under no root the restore writes to.", path));
}

// The paths name the view themselves, so they are opened as named, never redirected again.
constexpr REGSAM kAsNamed = KEY_WOW64_64KEY;

std::optional<TRegFileValue> ReadValue(HKEY key, const std::wstring& name) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  TRegFileValue value{name, type, std::vector<std::uint8_t>(size)};
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type, value.Data.data(), &size) != ERROR_SUCCESS) return std::nullopt;
  value.Data.resize(size);
  value.Type = type;
  return value;
}

// Whether every value the backup holds for the keys is there, with the same type and bytes.
bool AllValuesInPlace(HKEY root, const std::vector<TRegFileKey>& keys) {
  for (const TRegFileKey& key : keys) {
    TRegistry registry(root, KEY_READ | kAsNamed);
    if (!registry.OpenKeyReadOnly(L"\\" + SplitRoot(key.Path).Key)) return false;
    for (const TRegFileValue& value : key.Values) {
      const std::optional<TRegFileValue> now = ReadValue(registry.CurrentKey(), value.Name);
      if (!now || now->Type != value.Type || now->Data != value.Data) return false;
    }
  }
  return true;
}

bool AnyValueThere(HKEY root, const TRegFileKey& key) {
  TRegistry registry(root, KEY_READ | kAsNamed);
  if (!registry.OpenKeyReadOnly(L"\\" + SplitRoot(key.Path).Key)) return false;
  for (const TRegFileValue& value : key.Values)
    if (ReadValue(registry.CurrentKey(), value.Name)) return true;
  return false;
}

// The highest key on the way to `key` that is not there yet (empty: `key` is there).
std::wstring FirstMissing(HKEY root, const std::wstring& key) {
  TRegistry registry(root, KEY_READ | kAsNamed);
  std::size_t end = 0;
  for (;;) {
    end = key.find(L'\\', end + 1);
    const std::wstring part = key.substr(0, end);
    if (!registry.KeyExists(L"\\" + part)) return part;
    if (end == std::wstring::npos) return {};
  }
}

}  // namespace

TEntryRestore RestoreRegistryEntry(const TRestoreEntry& entry) {
  const TRootAndKey trace = SplitRoot(entry.Path);
  const std::wstring created = FirstMissing(trace.Root, trace.Key);
  if (entry.ValuesOnly ? AnyValueThere(trace.Root, entry.Keys.front()) : created.empty()) {
    if (AllValuesInPlace(trace.Root, entry.Keys)) return TEntryRestore::AlreadyThere;
    throw EHvGeneralError(Fmt(L"Could not restore %s: it is there again with other contents, which were left as they are.", entry.Path));
  }
  TRegistry registry(trace.Root, KEY_ALL_ACCESS | kAsNamed);
  try {
    for (const TRegFileKey& key : entry.Keys) {
      if (!registry.OpenKey(L"\\" + SplitRoot(key.Path).Key, true))
        throw EHvGeneralError(Fmt(L"the key %s cannot be made: %s", key.Path,
                                  SysErrorMessage(static_cast<std::uint32_t>(registry.LastError()))));
      for (const TRegFileValue& value : key.Values) registry.WriteTypedData(value.Name, value.Type, value.Data.data(), value.Data.size());
    }
  } catch (const Exception& e) {
    // What this call made goes again; for a value of a key that stays, the values it wrote.
    registry.CloseKey();
    if (!created.empty()) {
      registry.DeleteKey(L"\\" + created);
    } else if (entry.ValuesOnly && registry.OpenKey(L"\\" + trace.Key, false)) {
      for (const TRegFileValue& value : entry.Keys.front().Values) registry.DeleteValue(value.Name);
    }
    throw EHvGeneralError(Fmt(L"Could not restore %s: %s", entry.Path, e.Message()));
  }
  return TEntryRestore::Restored;
}

}  // namespace hv
