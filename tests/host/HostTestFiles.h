// What the host suite's child programs and scripts wrote, read back as raw bytes.
#pragma once

#include <string>

#include "HvHandles.h"
#include "HvWindows.h"

namespace hosttest {

// The first 4096 bytes of `path`; empty when it cannot be read.
inline std::string ReadBytes(const std::wstring& path) {
  hv::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  std::string bytes(4096, '\0');
  DWORD read = 0;
  if (!file || !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) return {};
  bytes.resize(read);
  return bytes;
}

}  // namespace hosttest
