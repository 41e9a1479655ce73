#include "HvTracePlanter.h"

#include "HvLXLinks.h"
#include "HvLXProgramFiles.h"
#include "HvLXRegistryBase.h"

#include <stdexcept>

namespace hvplant {

const wchar_t* const kCorvistaCode = L"{3F6E2A91-7C4D-4B8E-A1D2-5E9C0B7F4A63}";
const wchar_t* const kSendaroCode = L"{C81D4E27-93A5-4F60-B7E8-2A6D19F5C034}";

namespace {

const wchar_t* const kUninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t* const kProducts = L"Installer\\Products";
const wchar_t* const kIdentCache = L"SOFTWARE\\MimarSinan\\InstallAware\\Ident.Cache";
// Traces go where the program looks: its registry view of each key, also from the 64-bit build.
REGSAM AllAccess(HKEY root, const std::wstring& key) { return hv::WithProgramRegistryView(KEY_ALL_ACCESS, root, key); }
REGSAM ReadAccess(HKEY root, const std::wstring& key) { return hv::WithProgramRegistryView(KEY_READ, root, key); }

[[noreturn]] void Fail(const std::wstring& what, LONG code) {
  std::string text(what.begin(), what.end());
  throw std::runtime_error("planting failed: " + text + " (error " + std::to_string(code) + ")");
}

HKEY CreateKey(HKEY root, const std::wstring& key) {
  HKEY h = nullptr;
  LONG rc = RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, AllAccess(root, key), nullptr, &h, nullptr);
  if (rc != ERROR_SUCCESS) Fail(key, rc);
  return h;
}

void WriteFileText(const std::wstring& path, const char* text) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) Fail(path, static_cast<LONG>(GetLastError()));
  DWORD written = 0;
  WriteFile(h, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
  CloseHandle(h);
}

void CreateDirs(const std::wstring& path) {
  for (size_t pos = 3; pos != std::wstring::npos; pos = path.find(L'\\', pos + 1))
    CreateDirectoryW(path.substr(0, pos).c_str(), nullptr);
  CreateDirectoryW(path.c_str(), nullptr);
}

}  // namespace

void RemoveFolderTree(const std::wstring& path) {
  DWORD attrs = GetFileAttributesW(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) return;
  // Under Wine every delete call acts on a link's target: links are left to whoever made them.
  if (hv::IsLinkPath(path)) return;
  if (!(attrs & FILE_ATTRIBUTE_DIRECTORY) || (attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
    if (!DeleteFileW(path.c_str())) RemoveDirectoryW(path.c_str());
    return;
  }
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name != L"." && name != L"..") RemoveFolderTree(path + L"\\" + name);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(path.c_str());
}

namespace {

std::wstring GuidText(unsigned n) {
  wchar_t buf[64];
  swprintf(buf, 64, L"{%08X-0000-4000-8000-%012X}", 0x5EED0000u + n, n);
  return buf;
}

}  // namespace

std::wstring ProgramFilesDir() { return hv::GetProgramFilesFolder(); }

bool KeyExists(HKEY root, const std::wstring& key) {
  HKEY h;
  if (RegOpenKeyExW(root, key.c_str(), 0, ReadAccess(root, key), &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

bool ValueExists(HKEY root, const std::wstring& key, const std::wstring& name) {
  HKEY h;
  if (RegOpenKeyExW(root, key.c_str(), 0, ReadAccess(root, key), &h) != ERROR_SUCCESS) return false;
  bool ok = RegQueryValueExW(h, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(h);
  return ok;
}

void SetString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value, DWORD type) {
  HKEY h = CreateKey(root, key);
  LONG rc = RegSetValueExW(h, name.empty() ? nullptr : name.c_str(), 0, type,
                           reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(h);
  if (rc != ERROR_SUCCESS) Fail(key + L"\\" + name, rc);
}

void SetDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value) {
  HKEY h = CreateKey(root, key);
  LONG rc = RegSetValueExW(h, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(h);
  if (rc != ERROR_SUCCESS) Fail(key + L"\\" + name, rc);
}

void DeleteTree(HKEY root, const std::wstring& key) {
  HKEY h;
  if (RegOpenKeyExW(root, key.c_str(), 0, AllAccess(root, key), &h) != ERROR_SUCCESS) return;
  RegDeleteTreeW(h, nullptr);
  RegCloseKey(h);
  RegDeleteKeyExW(root, key.c_str(), hv::ProgramRegistryViewFor(root, key), 0);
}

std::vector<std::wstring> SubKeyNames(HKEY root, const std::wstring& key) {
  std::vector<std::wstring> names;
  HKEY h;
  if (RegOpenKeyExW(root, key.c_str(), 0, ReadAccess(root, key), &h) != ERROR_SUCCESS) return names;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD len = 256;
    if (RegEnumKeyExW(h, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, len);
  }
  RegCloseKey(h);
  return names;
}

void PlantFolderAt(const std::wstring& absolute) {
  CreateDirs(absolute + L"\\bin");
  WriteFileText(absolute + L"\\readme.txt", "planted by the test planter\r\n");
  WriteFileText(absolute + L"\\bin\\app.dat", "data\r\n");
}

void PlantFolder(const std::wstring& relative) { PlantFolderAt(ProgramFilesDir() + L"\\" + relative); }

void PlantUninstallEntry(const std::wstring& name, const std::wstring& uninstallString, bool withValue) {
  std::wstring key = std::wstring(kUninstall) + L"\\" + name;
  SetString(HKEY_LOCAL_MACHINE, key, L"DisplayName", name);
  if (withValue) SetString(HKEY_LOCAL_MACHINE, key, L"UninstallString", uninstallString);
}

void PlantUninstallLink(const std::wstring& keyBelowSoftware) {
  SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\" + keyBelowSoftware, L"UninstallLink", L"https://example.invalid/uninstall");
  SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\" + keyBelowSoftware, L"Version", L"1.0");
}

void PlantInstallerRegistration(const std::wstring& packedCode, const std::wstring& productName) {
  SetString(HKEY_CLASSES_ROOT, std::wstring(kProducts) + L"\\" + packedCode, L"ProductName", productName);
}

void PlantIdentCache(const std::wstring& productCode, const std::wstring& folder) {
  std::wstring key = std::wstring(kIdentCache) + L"\\" + productCode;
  if (folder.empty()) {
    HKEY h = CreateKey(HKEY_LOCAL_MACHINE, key);
    RegCloseKey(h);
  } else {
    SetString(HKEY_LOCAL_MACHINE, key, L"", folder);
  }
}

namespace {
// One sample installation: a trace of every kind, under names a real setup uses.
struct SampleInstall {
  const wchar_t* product;
  const wchar_t* folder;       // below Program Files
  const wchar_t* entryGuid;    // Add/Remove Programs entry named by a GUID
  const wchar_t* setupExe;
  const wchar_t* namedEntry;   // Add/Remove Programs entry named after the product
  const wchar_t* linkKey;      // below SOFTWARE, holding UninstallLink
  const wchar_t* packedCode;   // Windows Installer registration
  const wchar_t* productName;
  const wchar_t* identCode;
  const wchar_t* cacheFolder;  // the folder the identification cache names
};

const SampleInstall kSamples[] = {
    {L"Corvista", L"Halvern\\Corvista", L"{1C0E7A5B-0D2F-4C11-9C55-6A3B2D1E0F01}", L"SetupCorvista.exe", L"Pelmark",
     L"Halvern\\Corvista", L"19A7E6F3D4C7E8B41A2DE5C9B0F7A436", L"Halvern Corvista", kCorvistaCode,
     L"C:\\ProgramData\\Halvern\\CorvistaSetupCache"},
    {L"Sendaro", L"Halvern\\Sendaro", L"{72E4D18C-5A39-4F06-B7E8-2A6D19F5C0AA}", L"SetupSendaro.exe", L"Halvern Sendaro",
     L"Sendaro", L"72E4D18C93A506F47B8EA2D6915F0C43", L"Halvern Sendaro", kSendaroCode,
     L"C:\\ProgramData\\Halvern\\SendaroSetupCache"},
};

// The REG_SZ value, or nothing when it is missing or of another type.
std::wstring ReadSz(HKEY root, const std::wstring& key, const wchar_t* name) {
  HKEY h;
  if (RegOpenKeyExW(root, key.c_str(), 0, ReadAccess(root, key), &h) != ERROR_SUCCESS) return {};
  wchar_t buf[2048] = {};
  DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
  LONG rc = RegQueryValueExW(h, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(h);
  return rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) ? std::wstring(buf) : std::wstring();
}
}  // namespace

void PlantProduct(const std::wstring& product) {
  const std::wstring pf = ProgramFilesDir();
  for (const SampleInstall& s : kSamples) {
    if (product != s.product) continue;
    PlantFolder(s.folder);
    PlantUninstallEntry(s.entryGuid, pf + L"\\" + s.folder + L"\\" + s.setupExe);
    PlantUninstallEntry(s.namedEntry, pf + L"\\" + s.folder + L"\\uninstall.exe");
    PlantUninstallLink(s.linkKey);
    PlantInstallerRegistration(s.packedCode, s.productName);
    PlantIdentCache(s.identCode, s.cacheFolder);
    PlantFolderAt(s.cacheFolder);
    return;
  }
  throw std::runtime_error("unknown product");
}

void RemoveAllProductTraces() {
  const std::wstring pf = ProgramFilesDir();
  for (const wchar_t* rel : {L"Halvern\\Corvista", L"Halvern\\Pelmark", L"Corvista", L"Pelmark", L"Halvern\\Sendaro", L"Sendaro"})
    RemoveFolderTree(pf + L"\\" + rel);
  RemoveDirectoryW((pf + L"\\Halvern").c_str());
  RemoveFolderTree(L"C:\\ProgramData\\Halvern");
  const std::wstring names[] = {L"Corvista", L"Pelmark", L"Halvern Corvista", L"Sendaro", L"Halvern Sendaro"};
  for (const auto& n : names) {
    DeleteTree(HKEY_LOCAL_MACHINE, std::wstring(kUninstall) + L"\\" + n);
    DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Halvern\\" + n);
    DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\" + n);
  }
  DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Halvern");
  for (const auto& name : SubKeyNames(HKEY_LOCAL_MACHINE, kUninstall)) {
    std::wstring key = std::wstring(kUninstall) + L"\\" + name;
    std::wstring cmd = ReadSz(HKEY_LOCAL_MACHINE, key, L"UninstallString");
    for (auto& c : cmd) c = towlower(c);
    for (const wchar_t* exe : {L"\\setupcorvista.exe", L"\\setuppelmark.exe", L"\\setupsendaro.exe"})
      if (cmd.find(exe) != std::wstring::npos) DeleteTree(HKEY_LOCAL_MACHINE, key);
  }
  for (const auto& name : SubKeyNames(HKEY_CLASSES_ROOT, kProducts)) {
    std::wstring key = std::wstring(kProducts) + L"\\" + name;
    std::wstring pn = ReadSz(HKEY_CLASSES_ROOT, key, L"ProductName");
    for (const auto& n : names)
      if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, pn.c_str(), -1, n.c_str(), -1) == CSTR_EQUAL)
        DeleteTree(HKEY_CLASSES_ROOT, key);
  }
  DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\MimarSinan");
}

void PlantBulk(int uninstallEntries, int installerRegistrations) {
  HKEY uninstall = CreateKey(HKEY_LOCAL_MACHINE, kUninstall);
  for (int i = 0; i < uninstallEntries; ++i) {
    bool guid = i % 2 == 0;
    std::wstring name = guid ? GuidText(i) : L"HvBulk Tool " + std::to_wstring(i);
    HKEY h;
    RegCreateKeyExW(uninstall, name.c_str(), 0, nullptr, 0, AllAccess(HKEY_LOCAL_MACHINE, kUninstall), nullptr, &h, nullptr);
    std::wstring display = L"HvBulk Tool " + std::to_wstring(i);
    RegSetValueExW(h, L"DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(display.c_str()), static_cast<DWORD>((display.size() + 1) * 2));
    if (guid) {
      std::wstring cmd = L"C:\\Program Files (x86)\\HvBulk\\Tool" + std::to_wstring(i) + L"\\unins000.exe";
      RegSetValueExW(h, L"UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(cmd.c_str()), static_cast<DWORD>((cmd.size() + 1) * 2));
    }
    RegCloseKey(h);
  }
  RegCloseKey(uninstall);
  HKEY products = CreateKey(HKEY_CLASSES_ROOT, kProducts);
  for (int i = 0; i < installerRegistrations; ++i) {
    wchar_t packed[40];
    swprintf(packed, 40, L"B0DE%028X", i);
    HKEY h;
    RegCreateKeyExW(products, packed, 0, nullptr, 0, AllAccess(HKEY_CLASSES_ROOT, kProducts), nullptr, &h, nullptr);
    std::wstring pn = L"HvBulk Product " + std::to_wstring(i);
    RegSetValueExW(h, L"ProductName", 0, REG_SZ, reinterpret_cast<const BYTE*>(pn.c_str()), static_cast<DWORD>((pn.size() + 1) * 2));
    RegCloseKey(h);
  }
  RegCloseKey(products);
}

void RemoveBulk() {
  for (const auto& name : SubKeyNames(HKEY_LOCAL_MACHINE, kUninstall)) {
    std::wstring key = std::wstring(kUninstall) + L"\\" + name;
    if (name.rfind(L"HvBulk", 0) == 0 || name.rfind(L"{5EED", 0) == 0) DeleteTree(HKEY_LOCAL_MACHINE, key);
  }
  for (const auto& name : SubKeyNames(HKEY_CLASSES_ROOT, kProducts))
    if (name.rfind(L"B0DE", 0) == 0) DeleteTree(HKEY_CLASSES_ROOT, std::wstring(kProducts) + L"\\" + name);
}

void PlantBusyMachine(int uninstallEntries, int installerRegistrations) {
  RemoveAllProductTraces();
  RemoveBulk();
  PlantBulk(uninstallEntries, installerRegistrations);
  PlantProduct(L"Corvista");
  PlantProduct(L"Sendaro");
}

bool RunScenario(const std::wstring& scenario) {
  if (scenario == L"clean") {
    RemoveAllProductTraces();
    RemoveBulk();
  } else if (scenario == L"demo" || scenario == L"both") {
    RemoveAllProductTraces();
    PlantProduct(L"Corvista");
    PlantProduct(L"Sendaro");
  } else if (scenario == L"corvista") {
    RemoveAllProductTraces();
    PlantProduct(L"Corvista");
  } else if (scenario == L"sendaro") {
    RemoveAllProductTraces();
    PlantProduct(L"Sendaro");
  } else if (scenario.rfind(L"bulk:", 0) == 0) {
    int n = 0, m = 0;
    if (swscanf(scenario.c_str() + 5, L"%d:%d", &n, &m) != 2) return false;
    RemoveBulk();
    PlantBulk(n, m);
  } else {
    return false;
  }
  return true;
}

}  // namespace hvplant
