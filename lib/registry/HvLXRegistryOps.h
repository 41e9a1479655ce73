// The registry calls a test must be able to make fail. Wine deletes a key even when its
// security forbids it, and a value of a key open for writing can always go, so a refused
// deletion cannot be produced for real; these calls go through a replaceable table. Every
// other registry call goes to Win32 directly.
#pragma once

#include "HvWindows.h"

namespace hv {

struct RegistryPlatformOps {
  // `view` is the view bits of the caller's access (relative to a predefined root, a key name
  // alone does not say which view it is in).
  LSTATUS(WINAPI* DeleteKey)(HKEY parent, LPCWSTR subKey, REGSAM view, DWORD reserved) = &RegDeleteKeyExW;
  LSTATUS(WINAPI* DeleteValue)(HKEY key, LPCWSTR valueName) = &RegDeleteValueW;
};

// The table in force (the real calls unless a test replaced them).
const RegistryPlatformOps& RegistryOps();

// Test seam: replaces the table until the scope ends. Not thread-safe; tests only.
class ScopedRegistryOps {
 public:
  explicit ScopedRegistryOps(const RegistryPlatformOps& ops);
  ~ScopedRegistryOps();
  ScopedRegistryOps(const ScopedRegistryOps&) = delete;
  ScopedRegistryOps& operator=(const ScopedRegistryOps&) = delete;

 private:
  RegistryPlatformOps FSaved;
};

}  // namespace hv
