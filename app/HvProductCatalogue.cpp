#include "HvProductCatalogue.h"

namespace hv {

const wchar_t* const kUninstallKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t* const kMachineInstallerProductsKey = L"SOFTWARE\\Classes\\Installer\\Products";
const wchar_t* const kUserInstallerProductsKey = L"Software\\Classes\\Installer\\Products";
const wchar_t* const kIdentCacheKey = L"SOFTWARE\\MimarSinan\\InstallAware\\Ident.Cache\\";

const std::vector<TProductDescription>& ProductCatalogue() {
  // In TProductIndex order.
  static const std::vector<TProductDescription> products{
      {L"Corvista",
       {L"\\Halvern\\Corvista", L"\\Halvern\\Pelmark", L"\\Corvista", L"\\Pelmark"},
       {L"SetupCorvista.exe", L"SetupPelmark.exe"},
       {L"Corvista", L"Pelmark", L"Halvern Corvista"},
       {L"{3F6E2A91-7C4D-4B8E-A1D2-5E9C0B7F4A63}"}},
      {L"Sendaro",
       {L"\\Halvern\\Sendaro", L"\\Sendaro"},
       {L"SetupSendaro.exe"},
       {L"Sendaro", L"Halvern Sendaro"},
       {L"{C81D4E27-93A5-4F60-B7E8-2A6D19F5C034}"}},
  };
  return products;
}

}  // namespace hv
