// A private registry key per test, planted and inspected with plain Win32 so that a test never
// checks the registry code with itself.
#pragma once

#include <string>
#include <vector>

#include "HvWindows.h"

namespace hvtest {

// HKCU\Software\HvTests\<pid>_<n> (or, given HKEY_LOCAL_MACHINE, HKLM\SOFTWARE\HvTests\<pid>_<n>),
// removed before and after the test. Under HKLM it lives in this process's default view, the
// 32-bit one on a 64-bit system, which is where the program under test reads and deletes.
class ScratchKey {
 public:
  explicit ScratchKey(HKEY root = HKEY_CURRENT_USER);
  ~ScratchKey();
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  HKEY Root() const { return FRoot; }
  // Below the root, without a leading backslash.
  const std::wstring& Path() const { return FPath; }
  std::wstring operator/(const std::wstring& sub) const { return FPath + L"\\" + sub; }

  // `sub` is relative to the scratch key; "" is the scratch key itself. Failures are test
  // failures (ADD_FAILURE), not exceptions.
  void CreateKey(const std::wstring& sub) const;
  void SetValue(const std::wstring& sub, const std::wstring& name, DWORD type, const void* data, DWORD size) const;
  void SetString(const std::wstring& sub, const std::wstring& name, const std::wstring& text,
                 DWORD type = REG_SZ) const;
  void SetDword(const std::wstring& sub, const std::wstring& name, DWORD value) const;
  bool HasKey(const std::wstring& sub) const;
  bool HasValue(const std::wstring& sub, const std::wstring& name) const;
  // Sub-key names in the system's enumeration order.
  std::vector<std::wstring> SubKeys(const std::wstring& sub) const;

  // From now on the key opens only with `allowed` access (deleting it stays possible); the
  // restriction is lifted again before the scratch key is removed.
  void Restrict(const std::wstring& sub, DWORD allowed);

 private:
  std::wstring Full(const std::wstring& sub) const { return sub.empty() ? FPath : FPath + L"\\" + sub; }
  void SetSecurity(const std::wstring& sub, const std::wstring& sddl, REGSAM openWith) const;
  void Remove();

  HKEY FRoot;
  std::wstring FPath;
  std::vector<std::wstring> FRestricted;
};

}  // namespace hvtest
