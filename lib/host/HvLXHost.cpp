#include "HvLXHost.h"

#include <map>
#include <mutex>

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvHandles.h"
#include "HvLXHostScript.h"
#include "HvLXRegistry.h"
#include "HvLXStrings.h"
#include "HvLXSystemText.h"
#include "HvScopeExit.h"

namespace hv {
namespace {

const wchar_t kWineKey[] = L"Software\\Wine";

enum class TTricksMode { On, Off, Version };

struct TMacHost {
  std::wstring text = L"n/a";
  TVersionNumber version;
};

struct TTricksSetting {
  TTricksMode mode = TTricksMode::Version;
  TVersionNumber version;
};

// Filled on first use and kept. Worker threads ask too (an internet error asks UseWineTricks),
// so every read and change goes through gDetectionLock, which is never held while an answer is
// found: finding one may run a host script, whose runner asks these predicates again.
struct THostDetection {
  std::optional<bool> wine, chromeOS;
  std::optional<TMacHost> mac;
  std::optional<TTricksSetting> tricks;
  std::map<std::wstring, bool> tricksAnswers;
};

HostPins gPins;
HostFacts gFacts;
THostDetection gDetection;
std::mutex gDetectionLock;

// The kept answer of `field`, found with `find` when there is none yet. Two threads asking at
// once may both find it; the first one kept is the answer of both.
template <class T, class Find>
T Remembered(std::optional<T> THostDetection::*field, Find find) {
  {
    std::lock_guard guard(gDetectionLock);
    if (gDetection.*field) return *(gDetection.*field);
  }
  T found = find();
  std::lock_guard guard(gDetectionLock);
  if (!(gDetection.*field)) gDetection.*field = std::move(found);
  return *(gDetection.*field);
}

bool RunsOnWineLoader() {
  if (gFacts.wineLoader) return *gFacts.wineLoader;
  const UniqueModule ntdll(LoadLibraryW(L"ntdll.dll"));
  return ntdll && GetProcAddress(ntdll.get(), "wine_get_version");
}

bool RunsElevated() {
  if (gFacts.elevated) return *gFacts.elevated;
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return true;  // unknown: the careful answer
  const UniqueKernelHandle token(raw);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size)) return true;
  return elevation.TokenIsElevated != 0;
}

bool DetectWine() {
  const bool loader = RunsOnWineLoader();
  // The value lies in the user's own part of the registry, which every program the user runs
  // without elevation can write: on Windows it must not steer an elevated program into running
  // host scripts. Under Wine every program of the host runs as the same host user anyway.
  if (!loader && RunsElevated()) return false;
  const std::wstring setting = TrimLX(RegReadStringDefLX(HKEY_CURRENT_USER, kWineKey, L"HalvernIsWine", L""));
  if (SameTextLX(setting, L"False")) return false;
  return loader || SameTextLX(setting, L"True");
}

// The host's kernel name, from Wine's own uname; nothing when Wine does not tell it.
std::optional<std::wstring> HostSystemName() {
  if (gFacts.hostSystem) return gFacts.hostSystem->empty() ? std::nullopt : gFacts.hostSystem;
  using TGetHostVersion = void(CDECL*)(const char** sysname, const char** release);
  const auto get = reinterpret_cast<TGetHostVersion>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_host_version")));
  if (!get) return std::nullopt;
  const char* sysname = nullptr;
  const char* release = nullptr;
  get(&sysname, &release);
  if (!sysname) return std::nullopt;
  return std::wstring(sysname, sysname + std::char_traits<char>::length(sysname));
}

// The value of one "Name: value" line of sw_vers, trimmed; nothing when the line is absent.
std::optional<std::wstring> SwVersValue(const std::vector<std::wstring>& lines, const wchar_t* name) {
  for (const std::wstring& line : lines) {
    const std::size_t colon = line.find(L':');
    if (colon != std::wstring::npos && TrimLX(line.substr(0, colon)) == name) return TrimLX(line.substr(colon + 1));
  }
  return std::nullopt;
}

TMacHost DetectMac() {
  TMacHost d;
  if (!IsWine() || IsChromeOS()) return d;
  // sw_vers is a Mac's alone. Asking it starts host shells, a few tenths of a second at every
  // start of a program; where Wine names another kernel there is no Mac to find.
  if (const std::optional<std::wstring> system = HostSystemName(); system && *system != L"Darwin") return d;
  const std::wstring output = Wine_RunScript(L"GetMacVersion", L"sw_vers", L"");
  const std::vector<std::wstring> lines = SplitLX(output, L"\n");
  std::wstring text;
  for (const wchar_t* name : {L"ProductName", L"ProductVersion", L"BuildVersion"}) {
    const std::optional<std::wstring> value = SwVersValue(lines, name);
    if (!value) continue;
    text = text.empty() ? *value : text + L", " + *value;
  }
  if (text.empty()) {
    for (const std::wstring& line : SplitLX(output, L"\n", true)) {
      std::wstring trimmed = TrimLX(line);
      if (!trimmed.empty()) text += (text.empty() ? L"" : L",") + trimmed;
    }
  }
  if (!ContainsTextLX(text, L"Mac OS X") && !ContainsTextLX(text, L"macOS")) return d;
  d.text = text;
  // The version is the ProductVersion line wherever it is; without the build line the text
  // has two parts, and a modern Mac read as version 0 would get the hints for one before 10.14.
  if (const std::optional<std::wstring> version = SwVersValue(lines, L"ProductVersion")) {
    d.version = ParseVersion(*version);
    return d;
  }
  const std::vector<std::wstring> parts = SplitLX(text, L",");
  if (parts.size() >= 2) d.version = ParseVersion(parts[1]);
  return d;
}

TMacHost MacHost() {
  // The detection's script may show a progress window, which asks whether this is a Mac: while
  // it runs, the answer on its thread is "no".
  thread_local bool detecting = false;
  if (detecting) return {};
  detecting = true;
  ScopeExit done([] { detecting = false; });
  return Remembered(&THostDetection::mac, &DetectMac);
}

TTricksSetting ReadTricksSetting() {
  const std::wstring setting = TrimLX(RegReadStringDefLX(HKEY_LOCAL_MACHINE, kWineKey, L"HalvernWineTricks", L""));
  TTricksSetting tricks;
  if (SameTextLX(setting, L"False")) {
    tricks.mode = TTricksMode::Off;
  } else if (SameTextLX(setting, L"True")) {
    tricks.mode = TTricksMode::On;
  } else {
    tricks.version = ParseVersion(setting);
  }
  return tricks;
}

bool AnswerWineTricks(const std::wstring& versionText) {
  const TTricksSetting tricks = Remembered(&THostDetection::tricks, &ReadTricksSetting);
  const TTricksMode mode = tricks.mode;
  if (mode == TTricksMode::On) return true;
  if (mode == TTricksMode::Off && versionText != L"always") return false;
  if (!IsWine()) return false;
  if (versionText.empty()) throw EHvInternalError(L"Internal Error: Wine Version was not specified.");
  if (versionText == L"unknown" || versionText == L"max" || versionText == L"always") return true;
  if (!iswdigit(versionText.front()))
    throw Exception(Fmt(L"Internal Error: Unexpected Wine Version: \"%s\"", versionText));
  return tricks.version.LessThan(ParseVersion(versionText));
}

// A part of a version text: blanks at the right do not count; what is no decimal number is 0.
std::uint16_t VersionPart(const std::wstring& text) {
  std::wstring digits = TrimLX(text);
  std::size_t start = !digits.empty() && (digits[0] == L'+' || digits[0] == L'-') ? 1 : 0;
  if (digits.size() == start || digits.find_first_not_of(L"0123456789", start) != std::wstring::npos) return 0;
  const bool negative = digits[0] == L'-';
  digits = digits.substr(start);
  digits.erase(0, std::min(digits.find_first_not_of(L'0'), digits.size() - 1));
  if (negative && digits != L"0") throw ERangeError(L"Range check error");
  if (digits.size() > 5 || std::stoul(digits) > 65535) throw ERangeError(L"Range check error");
  return static_cast<std::uint16_t>(std::stoul(digits));
}

// Takes the part before `separator` and leaves what follows it, trimmed at the left.
std::uint16_t TakeVersionPart(std::wstring& text, std::size_t separator) {
  const std::uint16_t part = VersionPart(text.substr(0, separator));
  text = TrimLX(text.substr(separator + 1));
  return part;
}

}  // namespace

bool IsWine() {
  if (gPins.wine) return *gPins.wine;
  return Remembered(&THostDetection::wine, &DetectWine);
}

bool IsChromeOS() {
  if (gPins.chromeOS) return *gPins.chromeOS;
  return Remembered(&THostDetection::chromeOS, [] {
    return IsWine() && !GetEnvironmentValue(L"ANDROID_STORAGE").empty() && !GetEnvironmentValue(L"ANDROID_ROOT").empty();
  });
}

std::wstring GetMacVersionText() { return MacHost().text; }

TVersionNumber GetMacVersion() { return MacHost().version; }

bool IsMac() {
  if (gPins.mac) return *gPins.mac;
  return IsWine() && GetMacVersionText() != L"n/a";
}

TVersionNumber ParseVersion(const std::wstring& versionText) {
  TVersionNumber version;
  std::wstring text = TrimLX(versionText);
  std::size_t dot = text.find(L'.');
  if (dot == std::wstring::npos) {
    version.Major = VersionPart(text);
    return version;
  }
  version.Major = TakeVersionPart(text, dot);
  const std::size_t second = text.find(L" r") != std::wstring::npos ? text.find(L'r') : text.find(L'.');
  if (second == std::wstring::npos) {
    version.Minor = VersionPart(text);
    return version;
  }
  version.Minor = TakeVersionPart(text, second);
  dot = text.find(L'.');
  if (dot == std::wstring::npos) {
    version.Release = VersionPart(text);
    return version;
  }
  version.Release = TakeVersionPart(text, dot);
  if (!text.empty()) version.Build = VersionPart(text);
  return version;
}

bool UseWineTricks(const std::wstring& versionText) {
  if (gPins.wineTricks) return *gPins.wineTricks;
  // The stored answers are this host's; a pinned host answers afresh.
  if (gPins.wine) return AnswerWineTricks(versionText);
  {
    std::lock_guard guard(gDetectionLock);
    if (auto known = gDetection.tricksAnswers.find(versionText); known != gDetection.tricksAnswers.end())
      return known->second;
  }
  const bool answer = AnswerWineTricks(versionText);
  std::lock_guard guard(gDetectionLock);
  return gDetection.tricksAnswers.emplace(versionText, answer).first->second;
}

ScopedHostPins::ScopedHostPins(const HostPins& pins) : FSaved(gPins) { gPins = pins; }
ScopedHostPins::~ScopedHostPins() { gPins = FSaved; }

ScopedHostFacts::ScopedHostFacts(const HostFacts& facts) : FSaved(gFacts) { gFacts = facts; }
ScopedHostFacts::~ScopedHostFacts() { gFacts = FSaved; }

struct ScopedFreshHostDetection::TSaved {
  THostDetection detection;
};

ScopedFreshHostDetection::ScopedFreshHostDetection() : FSaved(new TSaved) {
  std::lock_guard guard(gDetectionLock);
  FSaved->detection = std::exchange(gDetection, {});
}
ScopedFreshHostDetection::~ScopedFreshHostDetection() {
  {
    std::lock_guard guard(gDetectionLock);
    gDetection = FSaved->detection;
  }
  delete FSaved;
}

}  // namespace hv
