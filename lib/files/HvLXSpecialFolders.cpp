#include "HvLXSpecialFolders.h"

#include "HvLXExistence.h"
#include "HvLXFileOps.h"
#include "HvLXFilePlatform.h"
#include "HvLXHost.h"
#include "HvLXHostPaths.h"
#include "HvLXPaths.h"
#include "HvScopeExit.h"
#include "HvLXSystemText.h"

namespace hv {
namespace {

// Filled once, on first use (in practice on the main thread), so neither is locked.
std::wstring gUserDataFolder;
bool gDeterminingUserDataFolder = false;

std::wstring ExistingOrEmpty(const std::wstring& folder) {
  return !folder.empty() && DirExistsLX(folder, true) ? folder : std::wstring();
}

}  // namespace

std::wstring GetWindowsTempFolder() {
  // The local system account gets a temporary folder of its own from the newer call (the plain
  // one gives it the Windows folder's Temp, which every user can write to); systems without
  // that call have only the plain one.
  using GetTempPath2Proc = DWORD(WINAPI*)(DWORD, LPWSTR);
  static const GetTempPath2Proc getTempPath2 = reinterpret_cast<GetTempPath2Proc>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTempPath2W")));
  if (getTempPath2) return ReadSystemText([](wchar_t* buffer, DWORD size) { return getTempPath2(size, buffer); });
  return ReadSystemText([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); });
}

std::wstring GetSpecialFolder(int csidl) {
  // The call's contract is a buffer of MAX_PATH characters; it cannot say it needs more.
  wchar_t buffer[MAX_PATH + 1] = {};
  if (!CurrentFilePlatform().GetSpecialFolderPath(nullptr, buffer, csidl)) return {};
  buffer[MAX_PATH] = L'\0';
  return buffer;
}

std::wstring GetWindowsFolder() {
  return ReadSystemText([](wchar_t* buffer, DWORD size) { return GetWindowsDirectoryW(buffer, size); });
}

std::wstring GetSystemFolder() {
  return ReadSystemText([](wchar_t* buffer, DWORD size) { return GetSystemDirectoryW(buffer, size); });
}

std::wstring GetDocumentsFolder() {
  std::wstring folder;
  if (IsWine() && IsMac()) folder = ExistingOrEmpty(Wine_ConvertNativePathToDos(Wine_GetNativeHomeDir() + L"/Documents"));
  if (folder.empty()) folder = ExistingOrEmpty(GetSpecialFolder(kCsidlPersonal));
  if (folder.empty()) {
    folder = L"C:\\My Documents";
    ForceDirectoriesLX(folder);
  }
  return folder;
}

std::wstring GetLocalAppDataFolder() {
  std::wstring folder = GetSpecialFolder(kCsidlLocalAppData);
  if (!folder.empty()) return folder;
  folder = ExistingOrEmpty(GetEnvironmentValue(L"USERPROFILE"));
  if (folder.empty()) folder = GetDocumentsFolder();
  return IncludeTrailingBackslashLX(folder) + L"AppData\\Local";
}

std::wstring GetUserDataFolder() {
  if (!gUserDataFolder.empty()) return gUserDataFolder;
  std::wstring folder;
  if (gDeterminingUserDataFolder) {
    // Asked again while it is being determined (say by an error report on the way): the
    // plain answer avoids an endless loop.
    folder = GetLocalAppDataFolder();
  } else {
    gDeterminingUserDataFolder = true;
    {
      ScopeExit determined([] { gDeterminingUserDataFolder = false; });
      folder = IsWine() && !IsChromeOS()
                   ? Wine_ConvertNativePathToDos(Wine_GetNativeHomeDir() + L"/Library/Application Support")
                   : GetLocalAppDataFolder();
    }
    gUserDataFolder = folder;
  }
  ForceDirectoriesLX(folder);
  return folder;
}

std::wstring GetHalvernTempFolder() {
  if (!IsWine() || IsChromeOS()) return GetWindowsTempFolder();
  // The scripts that find the user data folder need a work folder before it is known: they
  // get the host's temporary folder. Every other caller, temporary folder cleaning above all,
  // gets the library's own folder, never one that the host's other programs share.
  const std::wstring folder =
      gUserDataFolder.empty() && gDeterminingUserDataFolder
          ? IncludeTrailingBackslashLX(Wine_ConvertNativePathToDos(Wine_GetNativeTmpDir()))
          : IncludeTrailingBackslashLX(GetUserDataFolder()) + L"Halvern\\" + GetExeBaseName() + L"\\Temp\\";
  ForceDirectoriesLX(folder);
  return folder;
}

bool HalvernTempFolderIsPrivate() { return IsWine() && !IsChromeOS() && !gUserDataFolder.empty(); }

std::wstring GetExeFileName() {
  // The call truncates instead of saying how much it needs: grow until the name fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD len = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (len == 0) return {};
    if (len < path.size()) {
      path.resize(len);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring GetExeBaseName() { return ExtractFileBaseName(GetExeFileName()); }

ScopedUserDataFolder::ScopedUserDataFolder(std::optional<std::wstring> folder) : FSaved(gUserDataFolder) {
  gUserDataFolder = folder.value_or(std::wstring());
}

ScopedUserDataFolder::~ScopedUserDataFolder() { gUserDataFolder = FSaved; }

}  // namespace hv
