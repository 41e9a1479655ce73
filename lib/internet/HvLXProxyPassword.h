// The stored form of the proxy password: protected with the system's per-user data protection,
// so only the same Windows user on the same machine, asking as this library does, gets it back.
#pragma once

#include <string>

namespace hv {

// The text to store for `password` (empty for an empty password). Raises EOSError when the
// system refuses to protect it.
std::wstring ProtectProxyPassword(const std::wstring& password);
// The password a stored text holds; empty when it cannot be recovered (another user or
// machine, a damaged or foreign value). Never raises.
std::wstring UnprotectProxyPassword(const std::wstring& stored);

}  // namespace hv
