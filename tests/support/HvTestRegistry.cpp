#include "HvTestRegistry.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <atomic>

#include "HvLXRegistryBase.h"

namespace hvtest {
namespace {
// Scratch keys live in the program's own view, where the code under test looks.
constexpr REGSAM kView = hv::kProgramRegistryView;
}  // namespace

ScratchKey::ScratchKey(HKEY root) : FRoot(root) {
  static std::atomic<int> counter{0};
  FPath = std::wstring(root == HKEY_LOCAL_MACHINE ? L"SOFTWARE" : L"Software") + L"\\HvTests\\" +
          std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(counter++);
  Remove();
  CreateKey(L"");
}

ScratchKey::~ScratchKey() {
  for (auto it = FRestricted.rbegin(); it != FRestricted.rend(); ++it) SetSecurity(*it, L"D:(A;;KA;;;WD)", WRITE_DAC);
  Remove();
}

void ScratchKey::Remove() {
  HKEY key;
  LSTATUS result = RegOpenKeyExW(FRoot, FPath.c_str(), 0, KEY_ALL_ACCESS | kView, &key);
  if (result == ERROR_SUCCESS) {
    result = RegDeleteTreeW(key, nullptr);
    RegCloseKey(key);
    if (result == ERROR_SUCCESS) result = RegDeleteKeyExW(FRoot, FPath.c_str(), kView, 0);
  }
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) ADD_FAILURE() << "cannot remove scratch key: " << result;
}

void ScratchKey::CreateKey(const std::wstring& sub) const {
  HKEY key;
  LSTATUS result = RegCreateKeyExW(FRoot, Full(sub).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | kView, nullptr, &key, nullptr);
  if (result != ERROR_SUCCESS) {
    ADD_FAILURE() << "cannot create scratch sub-key: " << result;
    return;
  }
  RegCloseKey(key);
}

void ScratchKey::SetValue(const std::wstring& sub, const std::wstring& name, DWORD type, const void* data,
                          DWORD size) const {
  HKEY key;
  LSTATUS result = RegCreateKeyExW(FRoot, Full(sub).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | kView, nullptr, &key, nullptr);
  if (result == ERROR_SUCCESS) {
    result = RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }
  if (result != ERROR_SUCCESS) ADD_FAILURE() << "cannot plant value: " << result;
}

void ScratchKey::SetString(const std::wstring& sub, const std::wstring& name, const std::wstring& text,
                           DWORD type) const {
  SetValue(sub, name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void ScratchKey::SetDword(const std::wstring& sub, const std::wstring& name, DWORD value) const {
  SetValue(sub, name, REG_DWORD, &value, sizeof(value));
}

bool ScratchKey::HasKey(const std::wstring& sub) const {
  HKEY key;
  if (RegOpenKeyExW(FRoot, Full(sub).c_str(), 0, STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | kView, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

bool ScratchKey::HasValue(const std::wstring& sub, const std::wstring& name) const {
  // Opened in the view first: RegGetValue's own view flags came after Windows 7.
  HKEY key;
  if (RegOpenKeyExW(FRoot, Full(sub).c_str(), 0, KEY_QUERY_VALUE | kView, &key) != ERROR_SUCCESS) return false;
  const bool found = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return found;
}

std::vector<std::wstring> ScratchKey::SubKeys(const std::wstring& sub) const {
  std::vector<std::wstring> names;
  HKEY key;
  if (RegOpenKeyExW(FRoot, Full(sub).c_str(), 0, KEY_READ | kView, &key) != ERROR_SUCCESS) return names;
  wchar_t name[256];  // the system limits key names to 255 characters
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  RegCloseKey(key);
  return names;
}

void ScratchKey::Restrict(const std::wstring& sub, DWORD allowed) {
  // Deleting and resetting the DACL stay allowed so the key can always be cleaned up.
  wchar_t sddl[64];
  swprintf(sddl, 64, L"D:P(A;;0x%lX;;;WD)", static_cast<unsigned long>(allowed | DELETE | WRITE_DAC));
  SetSecurity(sub, sddl, WRITE_DAC);
  FRestricted.push_back(sub);
}

void ScratchKey::SetSecurity(const std::wstring& sub, const std::wstring& sddl, REGSAM openWith) const {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
    ADD_FAILURE() << "bad security descriptor";
    return;
  }
  HKEY key;
  LSTATUS result = RegOpenKeyExW(FRoot, Full(sub).c_str(), 0, openWith | kView, &key);
  if (result == ERROR_SUCCESS) {
    result = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    RegCloseKey(key);
  }
  LocalFree(descriptor);
  if (result != ERROR_SUCCESS) ADD_FAILURE() << "cannot set key security: " << result;
}

}  // namespace hvtest
