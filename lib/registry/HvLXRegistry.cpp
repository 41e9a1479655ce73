#include "HvLXRegistry.h"

namespace hv {

std::wstring RegNormalizeKeyPath(const std::wstring& key) {
  std::wstring path = key.empty() || key[0] != L'\\' ? L"\\" + key : key;
  if (path != L"\\" && path.back() == L'\\') path.pop_back();
  return path;
}

// --- THvRegistryLX ---

void THvRegistryLX::GotoKey(const std::wstring& key, bool canCreate) {
  std::wstring path = RegNormalizeKeyPath(key);
  if (!OpenKey(path, canCreate)) throw EHvInternalError(L"Internal Error: Unable to open key: " + path);
}

std::wstring THvRegistryLX::CurrentKeyPath() const {
  std::wstring path = RegNormalizeKeyPath(CurrentPath());
  if (path.back() == L'\\') path.pop_back();
  return path;
}

std::wstring THvRegistryLX::ChildKeyPath(const std::wstring& key) const {
  if (key.find(L'\\') != std::wstring::npos)
    throw EHvInternalError(L"Internal Error: Key contains a backslash: " + key + L"\r\n" + L"  Path = " +
                           CurrentKeyPath());
  return CurrentKeyPath() + L"\\" + key;
}

bool THvRegistryLX::CanDescend(const std::wstring& key) {
  std::wstring child = ChildKeyPath(key);
  if (!KeyExists(child)) return false;
  // Existing is not enough: callers descend to write, so the child must open with full access.
  TRegistry probe(RootKey(), KEY_ALL_ACCESS);
  return probe.OpenKey(RegNormalizeKeyPath(child), false);
}

void THvRegistryLX::Descend(const std::wstring& key, bool canCreate) { GotoKey(ChildKeyPath(key), canCreate); }

void THvRegistryLX::Ascend() {
  std::wstring path = CurrentKeyPath();
  size_t lastSeparator = path.rfind(L'\\');
  if (lastSeparator == std::wstring::npos) throw EHvInternalError(L"Internal Error: Cannot ascend any more.");
  GotoKey(path.substr(0, lastSeparator), false);
}

int THvRegistryLX::ReadIntegerDef(const std::wstring& name, int def) { return TryReadInteger(name).value_or(def); }

double THvRegistryLX::ReadFloatDef(const std::wstring& name, double def) { return TryReadFloat(name).value_or(def); }

std::wstring THvRegistryLX::ReadStringDef(const std::wstring& name, const std::wstring& def) {
  return TryReadString(name).value_or(def);
}

bool THvRegistryLX::ReadBoolDef(const std::wstring& name, bool def) {
  auto value = TryReadInteger(name);
  return value ? *value != 0 : def;
}

// --- One-call functions ---
// Each uses one fresh object and one open in the common case: a removal walks thousands of
// uninstall entries through them.

namespace {

// Runs `action` on the key opened by GotoKey; the key is closed on every path.
template <class Action>
auto WithKey(HKEY root, const std::wstring& key, REGSAM access, bool canCreate, Action action) {
  HV_ASSERT(!key.empty());
  THvRegistryLX registry(root, access);
  registry.GotoKey(key, canCreate);
  return action(registry);
}

// `def` when the key does not open, otherwise the defaulting read of `read`.
template <class T, class Read>
T ReadDef(HKEY root, const std::wstring& key, const T& def, Read read) {
  HV_ASSERT(!key.empty());
  THvRegistryLX registry(root, KEY_READ);
  return registry.OpenKey(key, false) ? read(registry) : def;
}

}  // namespace

std::vector<std::wstring> RegGetKeyNamesLX(HKEY root, const std::wstring& key) {
  std::vector<std::wstring> names;
  THvRegistryLX registry(root, KEY_READ);
  if (registry.OpenKey(key, false)) registry.GetKeyNames(names);
  return names;
}

bool RegReadBoolLX(HKEY root, const std::wstring& key, const std::wstring& name) {
  return WithKey(root, key, KEY_READ, false, [&](THvRegistryLX& r) { return r.ReadBool(name); });
}

int RegReadIntegerLX(HKEY root, const std::wstring& key, const std::wstring& name) {
  return WithKey(root, key, KEY_READ, false, [&](THvRegistryLX& r) { return r.ReadInteger(name); });
}

std::wstring RegReadStringLX(HKEY root, const std::wstring& key, const std::wstring& name) {
  return WithKey(root, key, KEY_READ, false, [&](THvRegistryLX& r) { return r.ReadString(name); });
}

bool RegReadBoolDefLX(HKEY root, const std::wstring& key, const std::wstring& name, bool def) {
  return ReadDef(root, key, def, [&](THvRegistryLX& r) { return r.ReadBoolDef(name, def); });
}

int RegReadIntegerDefLX(HKEY root, const std::wstring& key, const std::wstring& name, int def) {
  return ReadDef(root, key, def, [&](THvRegistryLX& r) { return r.ReadIntegerDef(name, def); });
}

std::wstring RegReadStringDefLX(HKEY root, const std::wstring& key, const std::wstring& name,
                                const std::wstring& def) {
  return ReadDef(root, key, def, [&](THvRegistryLX& r) { return r.ReadStringDef(name, def); });
}

void RegWriteBoolLX(HKEY root, const std::wstring& key, const std::wstring& name, bool value) {
  WithKey(root, key, KEY_ALL_ACCESS, true, [&](THvRegistryLX& r) { r.WriteBool(name, value); });
}

void RegWriteIntegerLX(HKEY root, const std::wstring& key, const std::wstring& name, int value) {
  WithKey(root, key, KEY_ALL_ACCESS, true, [&](THvRegistryLX& r) { r.WriteInteger(name, value); });
}

void RegWriteStringLX(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value) {
  WithKey(root, key, KEY_ALL_ACCESS, true, [&](THvRegistryLX& r) { r.WriteString(name, value); });
}

bool RegKeyExistsLX(HKEY root, const std::wstring& key) {
  THvRegistryLX registry(root, KEY_READ);
  return registry.OpenKey(key, false);
}

bool RegValueExistsLX(HKEY root, const std::wstring& key, const std::wstring& name) {
  THvRegistryLX registry(root, KEY_READ);
  return registry.OpenKey(key, false) && registry.ValueExists(name);
}

void RegDeleteValueLX(HKEY root, const std::wstring& key, const std::wstring& name) {
  HV_ASSERT(!key.empty());
  THvRegistryLX registry(root, KEY_ALL_ACCESS);
  if (!registry.OpenKey(key, false)) {
    // A missing key holds no value to delete; a key we may read but not change does.
    if (RegValueExistsLX(root, key, name))
      throw EHvInternalError(L"Internal Error: Unable to open key: " + RegNormalizeKeyPath(key));
    return;
  }
  if (registry.ValueExists(name) && !registry.DeleteValue(name))
    throw Exception(Fmt(L"Could not delete registry value: %s\\%s", key, name));
}

void RegDeleteKeyLX(HKEY root, const std::wstring& key) {
  HV_ASSERT(!key.empty());
  THvRegistryLX registry(root, KEY_ALL_ACCESS);
  // A key that was never there needs no deleting; only one that is still there failed.
  if (!registry.DeleteKey(key) && registry.KeyExists(key))
    throw Exception(Fmt(L"Could not delete registry key: %s", key));
}

}  // namespace hv
