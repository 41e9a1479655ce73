// The two products the uninstaller knows, and where an installation of each leaves traces.
#pragma once

#include <string>
#include <vector>

namespace hv {

using TStringVec = std::vector<std::wstring>;

struct TProductDescription {
  std::wstring Name;        // the text the window lists and logs
  TStringVec Folders;       // installation folders: the Program Files folder + a suffix
  TStringVec SetupExes;     // matched against the end of an uninstall command
  TStringVec KeyNames;      // Add/Remove Programs entry names and Installer product names
  TStringVec ProductCodes;  // identification-cache entries of the setup tool
};

// Built afresh on every call: the Program Files folder is asked for each time.
TProductDescription CorvistaDescription();
TProductDescription SendaroDescription();

extern const wchar_t* const kUninstallKey;       // HKLM: Add/Remove Programs entries
extern const wchar_t* const kInstallerProductsKey;  // HKCR: Windows Installer registrations
extern const wchar_t* const kIdentCacheKey;      // HKLM: the setup tool's identification cache

}  // namespace hv
