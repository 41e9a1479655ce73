// Helpers of the registry suite: catching a raise with its message, planting raw bytes, and
// refusing deletions that Wine would otherwise always allow.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <type_traits>
#include <vector>

#include "HvExceptions.h"
#include "HvLXRegistryOps.h"

namespace hvtest {

// Runs `action`, which must raise E, and returns the message.
template <class E, class Action>
std::wstring MessageOf(Action&& action) {
  try {
    action();
  } catch (const hv::Exception& e) {
    if constexpr (std::is_same_v<E, hv::Exception>) {
      return e.Message();
    } else if (dynamic_cast<const E*>(&e) != nullptr) {
      return e.Message();
    }
    ADD_FAILURE() << "raised another class: " << testing::PrintToString(e.ClassName()) << " "
                  << testing::PrintToString(e.Message());
    return {};
  }
  ADD_FAILURE() << "nothing raised";
  return {};
}

// The bytes of `text` as stored in UTF-16, optionally with the terminating NUL.
inline std::string Utf16Bytes(const std::wstring& text, bool withNul = true) {
  const char* begin = reinterpret_cast<const char*>(text.c_str());
  return std::string(begin, (text.size() + (withNul ? 1 : 0)) * sizeof(wchar_t));
}

// While alive, deleting a key or value whose last name component is `name` ("*": any) is
// refused with ERROR_ACCESS_DENIED; every other deletion goes to the system. Each attempt is
// recorded.
class RefusedDeletions {
 public:
  explicit RefusedDeletions(std::wstring name) : FOps(Fake()) {
    Refused() = std::move(name);
    Attempts().clear();
  }
  static std::vector<std::wstring>& Attempts() {
    static std::vector<std::wstring> attempts;
    return attempts;
  }

 private:
  static std::wstring& Refused() {
    static std::wstring refused;
    return refused;
  }
  static bool Refuses(LPCWSTR path) {
    std::wstring name = path ? path : L"";
    Attempts().push_back(name);
    size_t separator = name.rfind(L'\\');
    if (separator != std::wstring::npos) name.erase(0, separator + 1);
    return Refused() == L"*" || name == Refused();
  }
  static LSTATUS WINAPI DeleteKey(HKEY parent, LPCWSTR subKey, REGSAM view, DWORD reserved) {
    return Refuses(subKey) ? ERROR_ACCESS_DENIED : RegDeleteKeyExW(parent, subKey, view, reserved);
  }
  static LSTATUS WINAPI DeleteValue(HKEY key, LPCWSTR name) {
    return Refuses(name) ? ERROR_ACCESS_DENIED : RegDeleteValueW(key, name);
  }
  static hv::RegistryPlatformOps Fake() {
    hv::RegistryPlatformOps ops;
    ops.DeleteKey = &DeleteKey;
    ops.DeleteValue = &DeleteValue;
    return ops;
  }

  hv::ScopedRegistryOps FOps;
};

}  // namespace hvtest
