#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "HvExceptions.h"
#include "HvRegistryListing.h"

using namespace hvtest;
namespace plant = hvplant;

namespace {

const std::wstring kLong = L"C:\\" + std::wstring(300, L'x') + L"\\SetupPelmark.exe";

std::wstring ValueOf(const hv::TRegistryListing& listing, const std::wstring& name) {
  for (size_t i = 0; i < listing.Count(); ++i)
    if (listing.Name(i) == name) return listing.Value(i);
  ADD_FAILURE() << "not listed: " << testing::PrintToString(name);
  return {};
}

}  // namespace

// The values are read below the listed key's handle, after the listing: a long value whole, a
// missing value or an entry gone since the listing as empty, a value of the wrong type raising
// the registry error again at every ask, and each list in its own view.
TEST_F(EngineTest, AListingReadsEachEntryBelowTheListedKeyInItsView) {
  const std::wstring a = L"{A0000000-0000-0000-0000-0000000000A1}", b = L"{A0000000-0000-0000-0000-0000000000A2}",
                     c = L"{A0000000-0000-0000-0000-0000000000A3}", d = L"{A0000000-0000-0000-0000-0000000000A4}";
  plant::PlantUninstallEntry(a, kLong);
  plant::PlantUninstallEntry(b, L"", false);
  plant::PlantUninstallEntry(c, L"C:\\gone\\SetupPelmark.exe");
  plant::SetDword(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + d, L"UninstallString", 7);
  plant::PlantInstallerRegistration(L"A0000000000000000000000000000A15", L"Listed Product");

  hv::TRegistryListing uninstall(HKEY_LOCAL_MACHINE, kUninstall, L"UninstallString");
  hv::TRegistryListing products(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Installer\\Products", L"ProductName");
  plant::DeleteTree(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + c);

  EXPECT_EQ(ValueOf(uninstall, a), kLong);
  EXPECT_EQ(ValueOf(uninstall, b), L"");
  EXPECT_EQ(ValueOf(uninstall, c), L"");
  for (int ask = 0; ask < 2; ++ask) {
    try {
      ValueOf(uninstall, d);
      ADD_FAILURE() << "no error";
    } catch (const hv::Exception& e) {
      EXPECT_EQ(e.Message(), L"Invalid data type for 'UninstallString'");
    }
  }
  EXPECT_EQ(ValueOf(products, L"A0000000000000000000000000000A15"), L"Listed Product");

  for (const std::wstring& name : {a, b, d}) plant::DeleteTree(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + name);
  plant::DeleteTree(HKEY_CLASSES_ROOT, kProducts + L"\\A0000000000000000000000000000A15");
  ExpectOnlyPlantedTracesChanged();
}
