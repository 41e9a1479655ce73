// Host predicates. The program may run on Windows or under Wine (also on macOS and Chrome OS
// hosts); many operations adapt when they detect such a host. Until host detection is built
// every predicate answers false; tests pin them to exercise host-specific branches.
#pragma once

#include <optional>
#include <string>

namespace hv {

bool IsWine();
bool IsMac();
bool IsChromeOS();
// Whether a Wine workaround named by `version` applies on this host.
bool UseWineTricks(const std::wstring& version = {});

// Test seam: forces the answers until the returned scope ends.
struct HostPins {
  std::optional<bool> wine{}, mac{}, chromeOS{}, wineTricks{};  // unset: not pinned
};
class ScopedHostPins {
 public:
  explicit ScopedHostPins(const HostPins& pins);
  ~ScopedHostPins();
  ScopedHostPins(const ScopedHostPins&) = delete;
  ScopedHostPins& operator=(const ScopedHostPins&) = delete;

 private:
  HostPins FSaved;
};

}  // namespace hv
