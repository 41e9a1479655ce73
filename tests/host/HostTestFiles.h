// What the host suite's child programs and scripts wrote, read back as raw bytes.
#pragma once

#include <string>

#include "HvHandles.h"
#include "HvLXRegistry.h"
#include "HvWindows.h"

namespace hosttest {

// The whole of `path`; empty when it cannot be read.
inline std::string ReadBytes(const std::wstring& path) {
  hv::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
  if (!file) return {};
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  return bytes;
}

// Sets (or with nullptr removes) a value of "Software\Wine" for one test, as it was before afterwards.
class ScopedWineValue {
 public:
  ScopedWineValue(HKEY root, const wchar_t* name, const wchar_t* value) : FRoot(root), FName(name) {
    FHad = hv::RegValueExistsLX(root, L"Software\\Wine", name);
    if (FHad) FOld = hv::RegReadStringLX(root, L"Software\\Wine", name);
    Set(value);
  }
  ~ScopedWineValue() { Set(FHad ? FOld.c_str() : nullptr); }

 private:
  void Set(const wchar_t* value) {
    if (value)
      hv::RegWriteStringLX(FRoot, L"Software\\Wine", FName, value);
    else if (hv::RegValueExistsLX(FRoot, L"Software\\Wine", FName))
      hv::RegDeleteValueLX(FRoot, L"Software\\Wine", FName);
  }
  HKEY FRoot;
  std::wstring FName, FOld;
  bool FHad = false;
};

}  // namespace hosttest
