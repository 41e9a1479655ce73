#include <gtest/gtest.h>

#include "HvLXHost.h"
#include "HvLXRegistry.h"

namespace {

// HKCU "Software\Wine" "HalvernIsWine" for one test, as it was before afterwards.
class ScopedIsWineSetting {
 public:
  explicit ScopedIsWineSetting(const wchar_t* value) {
    FHad = hv::RegValueExistsLX(HKEY_CURRENT_USER, kKey, kName);
    if (FHad) FOld = hv::RegReadStringLX(HKEY_CURRENT_USER, kKey, kName);
    Set(value);
  }
  ~ScopedIsWineSetting() { Set(FHad ? FOld.c_str() : nullptr); }

 private:
  static constexpr const wchar_t* kKey = L"Software\\Wine";
  static constexpr const wchar_t* kName = L"HalvernIsWine";
  void Set(const wchar_t* value) {
    if (value)
      hv::RegWriteStringLX(HKEY_CURRENT_USER, kKey, kName, value);
    else if (hv::RegValueExistsLX(HKEY_CURRENT_USER, kKey, kName))
      hv::RegDeleteValueLX(HKEY_CURRENT_USER, kKey, kName);
  }
  std::wstring FOld;
  bool FHad = false;
};

// Any program the user runs without elevation can write the setting: on Windows it must not
// make an elevated program take the Wine branches (host scripts, a start-up check).
TEST(HostOverrides, TheUsersWineSettingNeverSteersAnElevatedProgramOnWindows) {
  struct Case {
    bool wineLoader, elevated;
    const wchar_t* setting;  // nullptr: absent
    bool wine;
  } cases[] = {
      {false, true, L"True", false},   // elevated on Windows: ignored
      {false, true, L" true ", false},
      {false, true, nullptr, false},
      {false, false, L"True", true},   // a plain user's own program may be told so
      {false, false, nullptr, false},
      {true, true, nullptr, true},     // under Wine every program is the same host user
      {true, true, L"False", false},
      {true, false, L"False", false},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    ScopedIsWineSetting setting(c.setting);
    hv::ScopedFreshHostDetection fresh;
    hv::ScopedHostFacts facts({c.wineLoader, c.elevated});
    EXPECT_EQ(hv::IsWine(), c.wine) << "case " << i;
  }
}

}  // namespace
