// Plants sample installations of the two products on this machine (for tests, benchmarks and
// the demo): folders with files under Program Files, Add/Remove Programs entries, UninstallLink
// values, Windows Installer registrations and identification-cache entries. It writes with
// plain Win32 calls, independently of the code under test, and from a 32-bit process, so the
// traces land in the same registry view the uninstaller reads.
#pragma once

#include <string>
#include <vector>

#include "HvWindows.h"

namespace hvplant {

std::wstring ProgramFilesDir();  // the 32-bit program's Program Files folder

// Folders: `relative` below Program Files, with a couple of files (one in a sub-folder).
void PlantFolder(const std::wstring& relative);
void PlantFolderAt(const std::wstring& absolute);
void PlantUninstallEntry(const std::wstring& name, const std::wstring& uninstallString, bool withValue = true);
void PlantUninstallLink(const std::wstring& keyBelowSoftware);  // e.g. L"Halvern\\Corvista"
void PlantInstallerRegistration(const std::wstring& packedCode, const std::wstring& productName);
// An identification-cache entry whose default value names `folder` (nothing written when empty).
void PlantIdentCache(const std::wstring& productCode, const std::wstring& folder);

// A whole product: "Corvista" or "Sendaro" with every kind of trace.
void PlantProduct(const std::wstring& product);
// Removes a folder tree without following links: a link is neither entered nor removed.
void RemoveFolderTree(const std::wstring& path);
// Removes every trace either product can leave (and the planter's own bulk entries).
void RemoveAllProductTraces();
// Unrelated Add/Remove Programs entries (every second one named by a GUID, with an uninstall
// command) and Installer registrations, as a busy machine has them.
void PlantBulk(int uninstallEntries, int installerRegistrations);
void RemoveBulk();
// A clean start, then the bulk entries and both products: the machine the benchmarks measure.
void PlantBusyMachine(int uninstallEntries, int installerRegistrations);

// Runs a named scenario; returns false for an unknown name. Names: demo, corvista, sendaro,
// both, clean, bulk:N:M.
bool RunScenario(const std::wstring& scenario);

// Registry helpers shared by planting and test checks.
bool KeyExists(HKEY root, const std::wstring& key);
bool ValueExists(HKEY root, const std::wstring& key, const std::wstring& name);
void SetString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value,
               DWORD type = REG_SZ);
void SetDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value);
void DeleteTree(HKEY root, const std::wstring& key);
std::vector<std::wstring> SubKeyNames(HKEY root, const std::wstring& key);

extern const wchar_t* const kCorvistaCode;
extern const wchar_t* const kSendaroCode;

}  // namespace hvplant
