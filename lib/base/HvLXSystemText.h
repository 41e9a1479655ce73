// Reading texts that system calls write into a caller's buffer, at whatever length they have.
#pragma once

#include <string>

#include "HvWindows.h"

namespace hv {

// For calls that answer the size they need (NUL included) when the buffer is too small and
// the length written (NUL excluded) otherwise, as the folder and environment calls do. Asks
// again while the text grows between the calls; empty when the call fails. A `firstSize`
// starts with a buffer of that size instead of asking for the size: one call where the text
// fits, for calls that cost a round trip each.
template <class Get>
std::wstring ReadSystemText(Get get, DWORD firstSize = 0) {
  DWORD size = firstSize ? firstSize : static_cast<DWORD>(get(nullptr, 0));
  while (size != 0) {
    std::wstring text(size, L'\0');
    const DWORD len = static_cast<DWORD>(get(text.data(), size));
    if (len < size) {
      text.resize(len);
      return text;
    }
    size = len;
  }
  return {};
}

// The value of an environment variable; empty when it is not set.
inline std::wstring GetEnvironmentValue(const wchar_t* name) {
  return ReadSystemText([name](wchar_t* buffer, DWORD size) { return GetEnvironmentVariableW(name, buffer, size); });
}

}  // namespace hv
