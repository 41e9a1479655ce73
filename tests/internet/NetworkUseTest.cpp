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

// A link that leaves this computer, or that a program other than the browser or the mail
// program takes, counts as network use: it is held back offline, and asked about first.
TEST(NetworkUse, OnlyLinksThatNeedTheNetworkAreHeldBackOffline) {
  struct Case {
    const wchar_t* url;
    bool usesNetwork;
  } cases[] = {
      {L"http://example.test/", true},
      {L"https://example.test/a?b", true},
      {L"file:///C:/windows/win.ini", false},
      {L"", false},
      // What stays on this computer: local drive paths, in every spelling of a file link.
      {L"C:\\windows\\win.ini", false},
      {L"file://localhost/C:/windows/win.ini", false},
      {L"file:C:/windows/win.ini", false},
      {L"FILE:///c:/windows/win.ini", false},
      {L"\\\\?\\C:\\windows\\win.ini", false},
      {L"about:blank", false},
      // A link to another machine's share leaves it, however it is written.
      {L"file://198.51.100.7/s/a.txt", true},
      {L"file://server/share/a.txt", true},
      {L"file:////server/share/a.txt", true},
      {L"file:\\\\server\\share\\a.txt", true},
      {L"file:///\\\\server\\share", true},
      {L"file://localhost//server/share", true},
      {L"file:%2F%2Fserver/share/a.txt", true},
      {L"\\\\server\\share\\a.txt", true},
      {L"//server/share/a.txt", true},
      {L"\\\\?\\UNC\\server\\share\\a.txt", true},
      // Schemes that are no plain file, web or mail link hand the address to a program.
      {L"javascript:alert(1)", true},
      {L"mk:@MSITStore:C:\\help.chm::/a.htm", true},
      {L"its:C:\\help.chm::/a.htm", true},
      {L"ms-its:C:\\help.chm::/a.htm", true},
      {L"search-ms:query=a&crumb=location:\\\\server\\s", true},
      {L"mailto:joe@example.org", true},
      {L"www.example.com", true},
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
