// TRegistry: a registry object that holds one open key at a time below a predefined root.
// Keys are opened in the program's registry view unless the access names a view: the 32-bit
// view of HKLM\SOFTWARE on 64-bit Windows, which is the 32-bit build's default view and which
// the 64-bit build asks for, so that both builds find and delete the same keys.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "HvExceptions.h"
#include "HvHandles.h"
#include "HvWindows.h"

namespace hv {

// Raised by the value reads and writes; the message names the value.
HV_DECLARE_EXCEPTION(ERegistryException, Exception);

// The view bits every registry call of the program adds when its caller names no view: none
// in the 32-bit build (the system's default is the 32-bit view), KEY_WOW64_32KEY in the 64-bit
// build. Code that opens keys without TRegistry (tools, baselines, test fixtures) uses it too.
inline constexpr REGSAM kProgramRegistryView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : 0;
// `access` with kProgramRegistryView added when it names no view of its own.
constexpr REGSAM WithProgramRegistryView(REGSAM access) {
  return access & (KEY_WOW64_32KEY | KEY_WOW64_64KEY) ? access : access | kProgramRegistryView;
}

// Windows keeps the Windows Installer's product registrations (HKCR\Installer\Products) once for
// both views. A 64-bit Wine prefix keeps them in its 64-bit view only, where its msiexec writes
// them, and its 32-bit view of HKCR is a separate, empty key. So on a 64-bit system that key
// family is opened in the 64-bit view, which on Windows is the same key.
bool IsKeySharedByViews(HKEY root, std::wstring_view path);
// The view bits for `path` (from the predefined `root`, with or without a leading "\"):
// KEY_WOW64_64KEY for a shared key on a 64-bit system, else kProgramRegistryView.
REGSAM ProgramRegistryViewFor(HKEY root, std::wstring_view path);
// `access` with the view bits of ProgramRegistryViewFor when it names no view of its own.
REGSAM WithProgramRegistryView(REGSAM access, HKEY root, std::wstring_view path);

class TRegistry {
 public:
  explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);
  TRegistry(HKEY root, REGSAM access);
  virtual ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY RootKey() const { return FRootKey; }
  // A different root closes the open key.
  void SetRootKey(HKEY root);
  // The open key, or nullptr.
  HKEY CurrentKey() const { return FCurrentKey.get(); }
  // Path of the open key below the root, without a leading backslash; empty when none is open.
  const std::wstring& CurrentPath() const { return FCurrentPath; }
  REGSAM Access() const { return FAccess; }
  void SetAccess(REGSAM access);
  // When false, closing a key flushes it to disk first.
  bool LazyWrite() const { return FLazyWrite; }
  void SetLazyWrite(bool lazyWrite) { FLazyWrite = lazyWrite; }
  // Result code of the last registry call.
  LSTATUS LastError() const { return FLastError; }

  // "\A\B" is a path from the root; "A\B" is relative to the open key (or to the root when
  // none is open). On success the new key replaces the open one; on failure nothing changes.
  bool OpenKey(const std::wstring& key, bool canCreate);
  // Opens without creating, with the strongest read-only mask the key grants (KEY_READ, then
  // STANDARD_RIGHTS_READ|KEY_QUERY_VALUE|KEY_ENUMERATE_SUB_KEYS, then KEY_QUERY_VALUE), keeping
  // the view bits of Access. The mask that worked becomes Access.
  bool OpenKeyReadOnly(const std::wstring& key);
  void CloseKey();

  // Neither changes the open key nor Access.
  bool KeyExists(const std::wstring& key);
  bool ValueExists(const std::wstring& name);
  // Replaces `names` with the open key's sub-key names in enumeration order.
  void GetKeyNames(std::vector<std::wstring>& names);

  // Missing or zero-size value: empty. REG_SZ or REG_EXPAND_SZ (unexpanded), cut at the first
  // NUL; any other type raises "Invalid data type for '%s'", a query that fails for another
  // reason than absence (no key open, no query right) "Failed to get data for '%s'".
  std::wstring ReadString(const std::wstring& name);
  // REG_DWORD of 4 bytes only. Missing, or data too big for 4 bytes: "Failed to get data for
  // '%s'"; any other type or size: "Invalid data type for '%s'".
  int ReadInteger(const std::wstring& name);
  bool ReadBool(const std::wstring& name) { return ReadInteger(name) != 0; }
  // An 8-byte REG_BINARY holding a double; missing: "Failed to get data for '%s'", any other
  // type or size: "Invalid data type for '%s'".
  double ReadFloat(const std::wstring& name);
  // Copies a value of any type but the string and DWORD types into `buffer`; returns the byte
  // count, 0 when the value is missing. A value larger than `bufferSize` is rejected, not cut;
  // other query failures raise as for ReadString.
  int ReadBinaryData(const std::wstring& name, void* buffer, int bufferSize);

  // Each raises "Failed to set data for '%s'" when the system refuses the write.
  void WriteString(const std::wstring& name, const std::wstring& value);
  void WriteInteger(const std::wstring& name, int value);
  void WriteBool(const std::wstring& name, bool value) { WriteInteger(name, value ? 1 : 0); }
  void WriteBinaryData(const std::wstring& name, const void* buffer, int size);
  // Any type, the bytes as given (a value put back exactly as it was read).
  void WriteTypedData(const std::wstring& name, DWORD type, const void* data, size_t size) { WriteData(name, type, data, size); }

  bool DeleteValue(const std::wstring& name);
  // Deletes the key with every sub-key below it (path rule of OpenKey). Sub-keys deleted
  // before a refusal stay deleted; the result is whether the key itself went. A key that
  // names the root or the open key itself ("" or "\") is refused.
  bool DeleteKey(const std::wstring& key);

 protected:
  // The reads behind the defaulting reads: nullopt when the value cannot be queried (missing),
  // otherwise the value or the exception of the plain read.
  std::optional<std::wstring> TryReadString(const std::wstring& name);
  std::optional<int> TryReadInteger(const std::wstring& name);
  std::optional<double> TryReadFloat(const std::wstring& name);

 private:
  struct KeyTarget {
    HKEY base;
    std::wstring subKey;
    bool relative;
    REGSAM view;  // the view bits to open it with
  };
  KeyTarget Resolve(const std::wstring& key) const;
  std::wstring PathAfterOpen(const KeyTarget& target) const;
  void ChangeKey(UniqueHKey key, std::wstring path, REGSAM view);
  LSTATUS Check(LSTATUS result) { return FLastError = result; }
  LSTATUS QueryValueInfo(const std::wstring& name, DWORD& type, DWORD& size);
  void WriteData(const std::wstring& name, DWORD type, const void* data, size_t size);
  bool DeleteTree(HKEY parent, const std::wstring& subKey, REGSAM view);

  HKEY FRootKey = HKEY_CURRENT_USER;
  UniqueHKey FCurrentKey;
  std::wstring FCurrentPath;
  REGSAM FCurrentView = 0;
  REGSAM FAccess;
  bool FViewNamed = false;  // the caller's access names a view, which then holds for every key
  bool FLazyWrite = true;
  LSTATUS FLastError = ERROR_SUCCESS;
};

}  // namespace hv
