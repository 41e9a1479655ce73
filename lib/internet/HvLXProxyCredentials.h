// The proxy credentials of the settings, for the requests that go through the proxy. WinInet
// takes them per request, never as part of the proxy text, so they cannot leak into what the
// system's settings, error texts or reports show.
#pragma once

#include <string>

namespace hv {

struct TProxyCredentials {
  std::wstring Username;
  std::wstring Password;
};

// The manual proxy's credentials; under Wine with detection, those the host's proxy address
// carried; none while the system's own proxy settings are in use.
TProxyCredentials GetEffectiveProxyCredentials();
// Gives the WinInet request (or connection) handle those credentials; nothing without a user
// name. Answers false when WinInet refuses them.
bool SetProxyCredentials(void* internetHandle);

}  // namespace hv
