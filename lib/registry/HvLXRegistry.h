// The library's registry access: THvRegistryLX, a registry object that moves between a key
// and its sub-keys and reads with defaults, and one-call functions that each open a key, do
// one thing and close it again. Every function takes the predefined root first; a key path
// may start with "\" or not, both meaning a path from the root.
#pragma once

#include <string>
#include <vector>

#include "HvLXRegistryBase.h"

namespace hv {

// Puts one "\" in front when missing and removes one trailing "\" (a lone "\" stays):
// "" -> "\", "A\B\" -> "\A\B".
std::wstring RegNormalizeKeyPath(const std::wstring& key);

class THvRegistryLX : public TRegistry {
 public:
  using TRegistry::TRegistry;

  // Opens RegNormalizeKeyPath(key) from the root; raises EHvInternalError
  // "Internal Error: Unable to open key: <path>" when it cannot.
  void GotoKey(const std::wstring& key, bool canCreate);
  // Whether the child `key` (one name) exists and opens with full access.
  bool CanDescend(const std::wstring& key);
  // Opens the child `key` (one name) with the present Access; a failure keeps the open key.
  void Descend(const std::wstring& key, bool canCreate);
  // Opens the parent of the open key; raises "Internal Error: Cannot ascend any more." at
  // the root.
  void Ascend();

  // The stored value, or `def` when the value is missing. A value of the wrong type still
  // raises ERegistryException.
  int ReadIntegerDef(const std::wstring& name, int def);
  double ReadFloatDef(const std::wstring& name, double def);
  std::wstring ReadStringDef(const std::wstring& name, const std::wstring& def);
  bool ReadBoolDef(const std::wstring& name, bool def);

 private:
  // The open key's path from the root: "\A\B", or empty at the root.
  std::wstring CurrentKeyPath() const;
  std::wstring ChildKeyPath(const std::wstring& key) const;
};

// Sub-key names in enumeration order; empty when the key cannot be opened.
std::vector<std::wstring> RegGetKeyNamesLX(HKEY root, const std::wstring& key);

// The key must exist ("Internal Error: Unable to open key: ..." otherwise). Integer and
// Boolean reads of a missing value raise ERegistryException; a missing string reads as empty.
bool RegReadBoolLX(HKEY root, const std::wstring& key, const std::wstring& name);
int RegReadIntegerLX(HKEY root, const std::wstring& key, const std::wstring& name);
std::wstring RegReadStringLX(HKEY root, const std::wstring& key, const std::wstring& name);

// `def` when the key or the value is missing; a value of the wrong type raises.
bool RegReadBoolDefLX(HKEY root, const std::wstring& key, const std::wstring& name, bool def);
int RegReadIntegerDefLX(HKEY root, const std::wstring& key, const std::wstring& name, int def);
std::wstring RegReadStringDefLX(HKEY root, const std::wstring& key, const std::wstring& name,
                                const std::wstring& def);

// Create the key path as needed.
void RegWriteBoolLX(HKEY root, const std::wstring& key, const std::wstring& name, bool value);
void RegWriteIntegerLX(HKEY root, const std::wstring& key, const std::wstring& name, int value);
void RegWriteStringLX(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value);

// Never raise.
bool RegKeyExistsLX(HKEY root, const std::wstring& key);
bool RegValueExistsLX(HKEY root, const std::wstring& key, const std::wstring& name);

// Do nothing when the value or key is missing. A refusal raises Exception
// "Could not delete registry value: <key>\<name>" or "Could not delete registry key: <key>";
// sub-keys deleted before a refusal stay deleted.
void RegDeleteValueLX(HKEY root, const std::wstring& key, const std::wstring& name);
void RegDeleteKeyLX(HKEY root, const std::wstring& key);

}  // namespace hv
