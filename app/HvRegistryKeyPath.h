// Where an open registry key really lives, as an editor names it: keys of the 32-bit view come
// out with their WOW6432Node path, classes keys under the root that holds them. A backup that
// names keys this way is imported back to the same place by any editor, 32-bit or 64-bit.
#pragma once

#include <string>

#include "HvWindows.h"

namespace hv {

// "HKEY_LOCAL_MACHINE\...", "HKEY_CURRENT_USER\..." (the current user's hive) or
// "HKEY_USERS\<sid>\...". Raises EOSError when the system will not name the key, and
// EHvGeneralError for a name outside those roots.
std::wstring RegistryKeyRealPath(HKEY key);
// The same for a name in the system's own form ("\REGISTRY\MACHINE\...").
std::wstring RegistryPathFromNativeName(const std::wstring& nativeName, const std::wstring& currentUserSid);
// The current user's security identifier as text ("S-1-5-21-...").
std::wstring CurrentUserSid();

}  // namespace hv
