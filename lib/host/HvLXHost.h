// Host predicates. The program may run on Windows or under Wine (also on macOS and Chrome OS
// hosts); many operations adapt when they detect such a host. Each answer is found on first
// use and kept for the life of the process; on Windows all of them are false.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace hv {

// Under Wine when ntdll.dll exports "wine_get_version", unless HKCU "Software\Wine" value
// "HalvernIsWine" says "True" or "False" (any case, blanks ignored). On Windows an elevated
// process ignores that value: it is false there.
bool IsWine();
// Under Wine with both ANDROID_STORAGE and ANDROID_ROOT set.
bool IsChromeOS();
// Under Wine on macOS: the host's sw_vers names "Mac OS X" or "macOS".
bool IsMac();
// "n/a", or the product name, version and build of the Mac host joined by ", ".
std::wstring GetMacVersionText();

// major.minor.release.build, compared major first.
struct TVersionNumber {
  std::uint16_t Major = 0, Minor = 0, Release = 0, Build = 0;
  std::uint64_t Value() const {
    return (std::uint64_t(Major) << 48) | (std::uint64_t(Minor) << 32) | (std::uint64_t(Release) << 16) | Build;
  }
  bool AtLeast(const TVersionNumber& other) const { return Value() >= other.Value(); }
  bool LessThan(const TVersionNumber& other) const { return Value() < other.Value(); }
  friend bool operator==(const TVersionNumber&, const TVersionNumber&) = default;
};
// "10.15.7" -> 10.15.7.0, "7.0 r12" -> 7.0.12.0, "6.0-rc1" -> 6.0.0.0, "" -> 0.0.0.0. Text that
// is no number counts as 0; a number above 65535 raises ERangeError.
TVersionNumber ParseVersion(const std::wstring& text);
// The Mac host's version; zero when not on a Mac.
TVersionNumber GetMacVersion();

// Whether the Wine workaround named by `versionText` applies: "always", "unknown" and "max"
// under Wine, a Wine version when HKLM "Software\Wine" value "HalvernWineTricks" names an
// older one (or none); "True"/"False" there switch every workaround on or off. Raises an
// internal error for an empty text or one that starts with no digit (under Wine).
bool UseWineTricks(const std::wstring& versionText);

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

// Test seam: what the detection learns from the process itself, which a test under Wine cannot
// change (whether Wine's loader runs it, whether it runs elevated), until the scope ends. Use
// within a ScopedFreshHostDetection so that the detection runs again.
struct HostFacts {
  std::optional<bool> wineLoader{}, elevated{};  // unset: asked from the system
  // The host's kernel name as Wine reports it ("Linux", "Darwin"); empty: a Wine that does not
  // tell; unset: asked from Wine.
  std::optional<std::wstring> hostSystem{};
};
class ScopedHostFacts {
 public:
  explicit ScopedHostFacts(const HostFacts& facts);
  ~ScopedHostFacts();
  ScopedHostFacts(const ScopedHostFacts&) = delete;
  ScopedHostFacts& operator=(const ScopedHostFacts&) = delete;

 private:
  HostFacts FSaved;
};

// Test seam: within the scope every detection starts afresh (from the registry values and
// the host as they are then); the answers found before come back afterwards.
class ScopedFreshHostDetection {
 public:
  ScopedFreshHostDetection();
  ~ScopedFreshHostDetection();
  ScopedFreshHostDetection(const ScopedFreshHostDetection&) = delete;
  ScopedFreshHostDetection& operator=(const ScopedFreshHostDetection&) = delete;

 private:
  struct TSaved;
  TSaved* FSaved;
};

}  // namespace hv
