#pragma once

#include <string>

#include "HvWindows.h"

namespace hvtest {

// The folder of the running test program, where the suite's helper binaries are built.
inline std::wstring ExeFolder() {
  std::wstring path(32768, L'\0');
  DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(length);
  return path.substr(0, path.find_last_of(L'\\'));
}

}  // namespace hvtest
