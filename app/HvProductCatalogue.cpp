#include "HvProductCatalogue.h"

#include "HvLXFiles.h"

namespace hv {

const wchar_t* const kUninstallKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t* const kInstallerProductsKey = L"Installer\\Products";
const wchar_t* const kIdentCacheKey = L"SOFTWARE\\MimarSinan\\InstallAware\\Ident.Cache\\";

namespace {
TStringVec UnderProgramFiles(std::initializer_list<const wchar_t*> suffixes) {
  const std::wstring programFiles = GetProgramFilesFolder();
  TStringVec folders;
  for (const wchar_t* suffix : suffixes) folders.push_back(programFiles + suffix);
  return folders;
}
}  // namespace

TProductDescription CorvistaDescription() {
  return {L"Corvista",
          UnderProgramFiles({L"\\Halvern\\Corvista", L"\\Halvern\\Pelmark", L"\\Corvista", L"\\Pelmark"}),
          {L"SetupCorvista.exe", L"SetupPelmark.exe"},
          {L"Corvista", L"Pelmark", L"Halvern Corvista"},
          {L"{3F6E2A91-7C4D-4B8E-A1D2-5E9C0B7F4A63}"}};
}

TProductDescription SendaroDescription() {
  return {L"Sendaro",
          UnderProgramFiles({L"\\Halvern\\Sendaro", L"\\Sendaro"}),
          {L"SetupSendaro.exe"},
          {L"Sendaro", L"Halvern Sendaro"},
          {L"{C81D4E27-93A5-4F60-B7E8-2A6D19F5C034}"}};
}

}  // namespace hv
