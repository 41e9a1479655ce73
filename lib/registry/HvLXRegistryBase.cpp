#include "HvLXRegistryBase.h"

#include <algorithm>
#include <limits>

#include "HvLXRegistryOps.h"

namespace hv {
namespace {

constexpr REGSAM kViewBits = KEY_WOW64_32KEY | KEY_WOW64_64KEY;
constexpr REGSAM kReadOnlyMask = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;

[[noreturn]] void RaiseInvalidType(const std::wstring& name) {
  throw ERegistryException(Fmt(L"Invalid data type for '%s'", name));
}
[[noreturn]] void RaiseGetFailed(const std::wstring& name) {
  throw ERegistryException(Fmt(L"Failed to get data for '%s'", name));
}

// The sub-key count and the longest sub-key name, or false when the key cannot tell.
bool QuerySubKeys(HKEY key, DWORD& count, DWORD& maxNameLength) {
  count = maxNameLength = 0;
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, &maxNameLength, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// The name of the sub-key at `index`. `buffer` is reused across calls and grows when a longer
// name appeared after it was sized.
LSTATUS EnumKeyName(HKEY key, DWORD index, std::vector<wchar_t>& buffer, std::wstring& name) {
  for (;;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    LSTATUS result = RegEnumKeyExW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_MORE_DATA && buffer.size() < 32768) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (result == ERROR_SUCCESS) name.assign(buffer.data(), length);
    return result;
  }
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// Whether `path` is `prefix` or lies below it, ignoring case as the registry does.
bool IsAtOrBelow(std::wstring_view path, std::wstring_view prefix) {
  if (path.size() < prefix.size()) return false;
  if (path.size() > prefix.size() && path[prefix.size()] != L'\\') return false;
  return CompareStringOrdinal(path.data(), static_cast<int>(prefix.size()), prefix.data(),
                              static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

bool IsSixtyFourBitSystem() {
  if constexpr (sizeof(void*) == 8) return true;
  static const bool wow64 = [] {
    BOOL result = FALSE;
    return IsWow64Process(GetCurrentProcess(), &result) && result;
  }();
  return wow64;
}

}  // namespace

bool IsKeySharedByViews(HKEY root, std::wstring_view path) {
  while (!path.empty() && path.front() == L'\\') path.remove_prefix(1);
  if (root == HKEY_CLASSES_ROOT) return IsAtOrBelow(path, L"Installer\\Products");
  if (root == HKEY_LOCAL_MACHINE) return IsAtOrBelow(path, L"SOFTWARE\\Classes\\Installer\\Products");
  // The user's own classes, which HKEY_CLASSES_ROOT shows over the machine's.
  if (root == HKEY_CURRENT_USER) return IsAtOrBelow(path, L"Software\\Classes\\Installer\\Products");
  return false;
}

REGSAM ProgramRegistryViewFor(HKEY root, std::wstring_view path) {
  return IsKeySharedByViews(root, path) && IsSixtyFourBitSystem() ? KEY_WOW64_64KEY : kProgramRegistryView;
}

REGSAM WithProgramRegistryView(REGSAM access, HKEY root, std::wstring_view path) {
  return access & kViewBits ? access : access | ProgramRegistryViewFor(root, path);
}

TRegistry::TRegistry(REGSAM access) : TRegistry(HKEY_CURRENT_USER, access) {}
TRegistry::TRegistry(HKEY root, REGSAM access) : FRootKey(root) { SetAccess(access); }

void TRegistry::SetAccess(REGSAM access) {
  FViewNamed = (access & kViewBits) != 0;
  FAccess = WithProgramRegistryView(access);
}
TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY root) {
  if (root == FRootKey) return;
  FRootKey = root;
  CloseKey();
}

TRegistry::KeyTarget TRegistry::Resolve(const std::wstring& key) const {
  const bool relative = key.empty() || key[0] != L'\\';
  KeyTarget target{relative && FCurrentKey ? FCurrentKey.get() : FRootKey, relative ? key : key.substr(1), relative, 0};
  const std::wstring fullPath = PathAfterOpen(target);
  target.view = FViewNamed ? FAccess & kViewBits : ProgramRegistryViewFor(FRootKey, fullPath);
  // A key of the other view is not below the open key's handle: open it from the root.
  if (target.base != FRootKey && target.view != FCurrentView) target = {FRootKey, fullPath, false, target.view};
  return target;
}

std::wstring TRegistry::PathAfterOpen(const KeyTarget& target) const {
  return FCurrentKey && target.relative ? FCurrentPath + L"\\" + target.subKey : target.subKey;
}

void TRegistry::ChangeKey(UniqueHKey key, std::wstring path, REGSAM view) {
  CloseKey();
  FCurrentKey = std::move(key);
  FCurrentPath = std::move(path);
  FCurrentView = view;
}

void TRegistry::CloseKey() {
  if (!FCurrentKey) return;
  if (!FLazyWrite) RegFlushKey(FCurrentKey.get());
  FCurrentKey.reset();
  FCurrentPath.clear();
}

bool TRegistry::OpenKey(const std::wstring& key, bool canCreate) {
  KeyTarget target = Resolve(key);
  UniqueHKey opened;
  const REGSAM access = (FAccess & ~kViewBits) | target.view;
  LSTATUS result = !canCreate || target.subKey.empty()
                       ? RegOpenKeyExW(target.base, target.subKey.c_str(), 0, access, opened.put())
                       : RegCreateKeyExW(target.base, target.subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         access, nullptr, opened.put(), nullptr);
  if (Check(result) != ERROR_SUCCESS) return false;
  ChangeKey(std::move(opened), PathAfterOpen(target), target.view);
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::wstring& key) {
  KeyTarget target = Resolve(key);
  for (REGSAM mask : {REGSAM(KEY_READ), kReadOnlyMask, REGSAM(KEY_QUERY_VALUE)}) {
    UniqueHKey opened;
    if (Check(RegOpenKeyExW(target.base, target.subKey.c_str(), 0, mask | target.view, opened.put())) ==
        ERROR_SUCCESS) {
      FAccess = mask | (FAccess & kViewBits);
      ChangeKey(std::move(opened), PathAfterOpen(target), target.view);
      return true;
    }
  }
  return false;
}

bool TRegistry::KeyExists(const std::wstring& key) {
  KeyTarget target = Resolve(key);
  UniqueHKey probe;
  return Check(RegOpenKeyExW(target.base, target.subKey.c_str(), 0, kReadOnlyMask | target.view, probe.put())) ==
         ERROR_SUCCESS;
}

bool TRegistry::ValueExists(const std::wstring& name) {
  return Check(RegQueryValueExW(CurrentKey(), name.c_str(), nullptr, nullptr, nullptr, nullptr)) == ERROR_SUCCESS;
}

void TRegistry::GetKeyNames(std::vector<std::wstring>& names) {
  names.clear();
  DWORD count, maxNameLength;
  if (!QuerySubKeys(CurrentKey(), count, maxNameLength)) return;
  names.reserve(count);
  std::vector<wchar_t> buffer(maxNameLength + 1);
  std::wstring name;
  // Stops early when keys vanish during the walk, rather than repeating a stale name.
  for (DWORD i = 0; i < count && Check(EnumKeyName(CurrentKey(), i, buffer, name)) == ERROR_SUCCESS; ++i)
    names.push_back(name);
}

LSTATUS TRegistry::QueryValueInfo(const std::wstring& name, DWORD& type, DWORD& size) {
  type = REG_NONE;
  size = 0;
  return Check(RegQueryValueExW(CurrentKey(), name.c_str(), nullptr, &type, nullptr, &size));
}

std::optional<std::wstring> TRegistry::TryReadString(const std::wstring& name) {
  // A first guess that holds most texts saves asking for the size on every read; a longer
  // value reports its size and is read again whole.
  std::wstring text(128, L'\0');
  for (bool first = true;; first = false) {
    DWORD type = REG_NONE, got = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    LSTATUS result = Check(RegQueryValueExW(CurrentKey(), name.c_str(), nullptr, &type,
                                            reinterpret_cast<BYTE*>(text.data()), &got));
    if (result == ERROR_MORE_DATA) {
      // Room for every byte, an odd count included.
      text.assign(std::max<size_t>(got / sizeof(wchar_t) + 1, text.size() * 2), L'\0');
      continue;
    }
    if (result != ERROR_SUCCESS) {
      if (first) return std::nullopt;
      RaiseGetFailed(name);
    }
    if (got == 0) return std::wstring();
    if (!IsStringType(type)) RaiseInvalidType(name);
    text.resize(got / sizeof(wchar_t));  // a lone trailing byte is no character
    text.resize(std::min(text.size(), text.find(L'\0')));
    return text;
  }
}

std::wstring TRegistry::ReadString(const std::wstring& name) {
  if (auto text = TryReadString(name)) return *text;
  if (FLastError != ERROR_FILE_NOT_FOUND) RaiseGetFailed(name);
  return {};
}

std::optional<int> TRegistry::TryReadInteger(const std::wstring& name) {
  DWORD type = REG_NONE, value = 0, size = sizeof(value);
  LSTATUS result =
      Check(RegQueryValueExW(CurrentKey(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size));
  if (result == ERROR_MORE_DATA) RaiseGetFailed(name);
  if (result != ERROR_SUCCESS) return std::nullopt;
  // A short REG_DWORD would leave bytes of the result unset.
  if (type != REG_DWORD || size != sizeof(value)) RaiseInvalidType(name);
  return static_cast<int>(value);
}

int TRegistry::ReadInteger(const std::wstring& name) {
  if (auto value = TryReadInteger(name)) return *value;
  RaiseGetFailed(name);
}

std::optional<double> TRegistry::TryReadFloat(const std::wstring& name) {
  DWORD type, size;
  if (QueryValueInfo(name, type, size) != ERROR_SUCCESS) return std::nullopt;
  if (type != REG_BINARY || size != sizeof(double)) RaiseInvalidType(name);
  double value = 0;
  size = sizeof(value);
  if (Check(RegQueryValueExW(CurrentKey(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size)) !=
          ERROR_SUCCESS ||
      type != REG_BINARY || size != sizeof(value))
    RaiseGetFailed(name);
  return value;
}

double TRegistry::ReadFloat(const std::wstring& name) {
  if (auto value = TryReadFloat(name)) return *value;
  RaiseGetFailed(name);
}

int TRegistry::ReadBinaryData(const std::wstring& name, void* buffer, int bufferSize) {
  DWORD type, size;
  if (QueryValueInfo(name, type, size) != ERROR_SUCCESS) {
    if (FLastError == ERROR_FILE_NOT_FOUND) return 0;
    RaiseGetFailed(name);
  }
  const DWORD capacity = static_cast<DWORD>(std::max(bufferSize, 0));
  if (IsStringType(type) || type == REG_DWORD || size > capacity) RaiseInvalidType(name);
  DWORD got = capacity;
  if (Check(RegQueryValueExW(CurrentKey(), name.c_str(), nullptr, &type, static_cast<BYTE*>(buffer), &got)) !=
      ERROR_SUCCESS)
    RaiseGetFailed(name);
  return static_cast<int>(got);
}

void TRegistry::WriteData(const std::wstring& name, DWORD type, const void* data, size_t size) {
  if (size > std::numeric_limits<DWORD>::max() ||
      Check(RegSetValueExW(CurrentKey(), name.c_str(), 0, type, static_cast<const BYTE*>(data),
                           static_cast<DWORD>(size))) != ERROR_SUCCESS)
    throw ERegistryException(Fmt(L"Failed to set data for '%s'", name));
}

void TRegistry::WriteString(const std::wstring& name, const std::wstring& value) {
  WriteData(name, REG_SZ, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
}

void TRegistry::WriteInteger(const std::wstring& name, int value) {
  DWORD data = static_cast<DWORD>(value);
  WriteData(name, REG_DWORD, &data, sizeof(data));
}

void TRegistry::WriteBinaryData(const std::wstring& name, const void* buffer, int size) {
  WriteData(name, REG_BINARY, buffer, static_cast<size_t>(std::max(size, 0)));
}

bool TRegistry::DeleteValue(const std::wstring& name) {
  return Check(RegistryOps().DeleteValue(CurrentKey(), name.c_str())) == ERROR_SUCCESS;
}

bool TRegistry::DeleteKey(const std::wstring& key) {
  KeyTarget target = Resolve(key);
  // An empty name makes the system delete the base key itself, after the walk below had
  // emptied it: "" or "\" would wipe the open key or the whole root.
  if (target.subKey.find_first_not_of(L'\\') == std::wstring::npos) {
    Check(ERROR_INVALID_PARAMETER);
    return false;
  }
  return DeleteTree(target.base, target.subKey, target.view);
}

bool TRegistry::DeleteTree(HKEY parent, const std::wstring& subKey, REGSAM view) {
  UniqueHKey key;
  DWORD count, maxNameLength;
  if (RegOpenKeyExW(parent, subKey.c_str(), 0, (FAccess & ~kViewBits) | view, key.put()) == ERROR_SUCCESS &&
      QuerySubKeys(key.get(), count, maxNameLength)) {
    std::vector<wchar_t> buffer(maxNameLength + 1);
    std::wstring name;
    // Highest index first: deleting a sub-key does not move the ones still to visit.
    for (DWORD i = count; i-- > 0;)
      if (EnumKeyName(key.get(), i, buffer, name) == ERROR_SUCCESS && !name.empty()) DeleteTree(key.get(), name, view);
  }
  key.reset();
  return Check(RegistryOps().DeleteKey(parent, subKey.c_str(), view, 0)) == ERROR_SUCCESS;
}

}  // namespace hv
