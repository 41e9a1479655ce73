// The products the uninstaller knows, and where an installation of each leaves traces. The
// window, the /detect report and the engine all take them from ProductCatalogue(), in its
// order: the order the window lists, logs and removes them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace hv {

using TStringVec = std::vector<std::wstring>;

struct TProductDescription {
  std::wstring Name;         // the text the window lists and logs
  TStringVec FolderSuffixes;  // installation folders: appended to the Program Files folder
  TStringVec SetupExes;      // matched against the end of an uninstall command
  TStringVec KeyNames;       // Add/Remove Programs entry names and Installer product names
  TStringVec ProductCodes;   // identification-cache entries of the setup tool
};

// Every product; fixed data, no system call (the engine asks for the Program Files folder
// each time it processes a product).
const std::vector<TProductDescription>& ProductCatalogue();

// Positions in ProductCatalogue(), for the callers that name one product.
enum TProductIndex : std::size_t { kCorvista, kSendaro };

extern const wchar_t* const kUninstallKey;       // HKLM: Add/Remove Programs entries
// Windows Installer registrations, each read and deleted in the hive that holds it: the merged
// HKEY_CLASSES_ROOT shows the user's own classes over the machine's, so a name read there may
// belong to a key of the other hive.
extern const wchar_t* const kMachineInstallerProductsKey;  // HKLM
extern const wchar_t* const kUserInstallerProductsKey;     // HKCU: the running user's own
extern const wchar_t* const kIdentCacheKey;      // HKLM: the setup tool's identification cache

}  // namespace hv
