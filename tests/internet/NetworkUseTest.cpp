#include <gtest/gtest.h>

#include "HvLXInternetSettings.h"
#include "HvLXRegistry.h"

namespace {

class WorkingOffline {
 public:
  explicit WorkingOffline(bool offline) : FHad(hv::RegValueExistsLX(HKEY_CURRENT_USER, kKey, kValue)) {
    if (FHad) FSaved = hv::RegReadBoolLX(HKEY_CURRENT_USER, kKey, kValue);
    hv::RegWriteBoolLX(HKEY_CURRENT_USER, kKey, kValue, offline);
  }
  ~WorkingOffline() {
    if (FHad)
      hv::RegWriteBoolLX(HKEY_CURRENT_USER, kKey, kValue, FSaved);
    else
      hv::RegDeleteValueLX(HKEY_CURRENT_USER, kKey, kValue);
  }

 private:
  static constexpr wchar_t kKey[] = L"Software\\Halvern";
  static constexpr wchar_t kValue[] = L"WorkOffline";
  bool FHad;
  bool FSaved = false;
};

TEST(NetworkUse, OnlyLinksThatNeedTheNetworkAreHeldBackOffline) {
  struct Case {
    const wchar_t* url;
    bool usesNetwork;
  } cases[] = {
      {L"http://example.test/", true},
      {L"https://example.test/a?b", true},
      {L"file:///C:/windows/win.ini", false},
      {L"", false},
  };
  for (bool offline : {false, true}) {
    WorkingOffline state(offline);
    EXPECT_EQ(hv::IsWorkingOffline(), offline);
    for (const Case& c : cases) {
      EXPECT_EQ(hv::UrlUsesNetwork(c.url), c.usesNetwork) << c.url;
      EXPECT_EQ(hv::IsUrlAllowed(c.url), !offline || !c.usesNetwork) << c.url << " offline " << offline;
    }
  }
}

}  // namespace
