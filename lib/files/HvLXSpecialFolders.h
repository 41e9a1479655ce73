// Where things live: the system's special folders, the library's per-user data folder and the
// library's temporary folder (the one temporary folder cleaning empties).
#pragma once

#include <optional>
#include <string>

namespace hv {

inline constexpr int kCsidlPersonal = 5;
inline constexpr int kCsidlLocalAppData = 28;

// The system's temporary folder, with the trailing backslash the system gives it.
std::wstring GetWindowsTempFolder();
// The folder the system names for `csidl` (never created); empty when it names none.
std::wstring GetSpecialFolder(int csidl);
std::wstring GetWindowsFolder();
std::wstring GetSystemFolder();
// The user's documents folder; "C:\My Documents" (created) when the system has none that
// exists.
std::wstring GetDocumentsFolder();
// The user's local application data folder; built from the profile (or documents) folder
// plus "AppData\Local" when the system names none.
std::wstring GetLocalAppDataFolder();
// The library's per-user data folder, created if missing. Determined once per process.
std::wstring GetUserDataFolder();
// The library's temporary folder, ending in a backslash. On Windows the system's temporary
// folder as it is; under Wine a folder of the library's own (created) below the user data
// folder (determined first when not yet known). Only the scripts that determine the user data
// folder get the host's temporary folder.
std::wstring GetHalvernTempFolder();
// Whether GetHalvernTempFolder names a folder that only this program uses (under Wine, the
// one below the user data folder), rather than a temporary folder shared with others.
bool HalvernTempFolderIsPrivate();
// Full path of the running program file.
std::wstring GetExeFileName();
// The program file's name without folder and extension ("X" for C:\a\X.exe).
std::wstring GetExeBaseName();

// Test seam: the user data folder as this process knows it. Within the scope the cache holds
// `folder` (nothing: not yet determined); the previous state comes back afterwards.
class ScopedUserDataFolder {
 public:
  explicit ScopedUserDataFolder(std::optional<std::wstring> folder);
  ~ScopedUserDataFolder();
  ScopedUserDataFolder(const ScopedUserDataFolder&) = delete;
  ScopedUserDataFolder& operator=(const ScopedUserDataFolder&) = delete;

 private:
  std::wstring FSaved;
};

}  // namespace hv
