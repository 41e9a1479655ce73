// The proxy WinInet is given for the whole process (ApplyProxySettings).
#pragma once

#include <string>

namespace hv {

struct TProcessProxy {
  unsigned long AccessType = 1;  // INTERNET_OPEN_TYPE_DIRECT (1) or INTERNET_OPEN_TYPE_PROXY (3)
  std::string Proxy;             // blank-separated, in the ANSI code page
  std::string Bypass;
};

// Test seam: Wine's WinInet lets its registry values override the process proxy, when asked for
// it and when it connects, so under Wine a test cannot read back what the settings gave WinInet.
// Within the scope the proxy goes to `setter` instead.
using TProcessProxySetter = void (*)(const TProcessProxy& proxy);
class ScopedProcessProxySetter {
 public:
  explicit ScopedProcessProxySetter(TProcessProxySetter setter);
  ~ScopedProcessProxySetter();
  ScopedProcessProxySetter(const ScopedProcessProxySetter&) = delete;
  ScopedProcessProxySetter& operator=(const ScopedProcessProxySetter&) = delete;

 private:
  TProcessProxySetter FSaved;
};

}  // namespace hv
