#include "HvWindows.h"

#include <urlmon.h>

#include "HvLXHost.h"
#include "HvLXInternetSettings.h"
#include "HvLXRegistry.h"
#include "HvLXStrings.h"
#include "HvLXUrlEscapes.h"

namespace hv {
namespace {

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

bool IsDrivePath(std::wstring_view path) {
  if (path.size() < 2 || path[1] != L':') return false;
  const wchar_t letter = static_cast<wchar_t>(path[0] | 0x20);  // lower case
  return letter >= L'a' && letter <= L'z';
}

// A drive letter mapped to a share leaves the machine as a share path does.
bool OnLocalDrive(std::wstring_view path) {
  const std::wstring root{path[0], L':', L'\\'};
  return GetDriveTypeW(root.c_str()) != DRIVE_REMOTE;
}

// A path on this computer: a drive path on a local drive, also in the long or device form
// ("\\?\C:\..."). A share ("\\server\share", "//server/share", "\\?\UNC\...") leaves it,
// and a text without a drive is no path the shell keeps here ("www.example.com" opens a web
// page).
bool IsLocalPath(std::wstring_view path) {
  if (path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) && (path[2] == L'?' || path[2] == L'.') &&
      IsSeparator(path[3]))
    path.remove_prefix(4);
  return IsDrivePath(path) && OnLocalDrive(path);
}

// A file link to this computer: "file:///C:/...", "file://localhost/C:/...", "file:C:/...". Any
// other host, and a share written after the slashes ("file:////server/share"), leaves it.
bool IsLocalFileLink(std::wstring_view rest) {
  if (rest.size() >= 2 && IsSeparator(rest[0]) && IsSeparator(rest[1])) {
    rest.remove_prefix(2);
    size_t hostEnd = 0;
    while (hostEnd < rest.size() && !IsSeparator(rest[hostEnd])) ++hostEnd;
    const std::wstring_view host = rest.substr(0, hostEnd);
    if (IsDrivePath(host) && host.size() == 2) return IsLocalPath(rest);  // "file://C:/x"
    if (!host.empty() && !SameTextLX(host, L"localhost")) return false;
    rest.remove_prefix(hostEnd);
  }
  if (!rest.empty() && IsSeparator(rest[0]) && IsDrivePath(rest.substr(1))) rest.remove_prefix(1);
  return IsLocalPath(rest);
}

// Only what stays on this computer needs no network: a local drive path, a file link to one,
// or an empty page. Everything else goes out or hands the address to a program that may (mail,
// script, help file and other schemes), so it counts as network use and asks first. Escapes are
// read first: "file:%2F%2Fserver/s" names a share.
bool StaysOnThisComputer(const std::wstring& url) {
  const std::wstring text = PercentDecodedLX(TrimLX(url));
  if (StartsTextLX(L"file:", text)) return IsLocalFileLink(std::wstring_view(text).substr(5));
  if (SameTextLX(text, L"about:blank")) return true;
  return IsLocalPath(text);
}

}  // namespace

bool IsWorkingOffline() { return RegReadBoolDefLX(HKEY_CURRENT_USER, L"Software\\Halvern", L"WorkOffline", false); }

bool UrlUsesNetwork(const std::wstring& url) {
  if (url.empty()) return false;
  // The system's protocol handlers answer for their own schemes only, and a file link to a
  // share or a script link counts as local to them (Wine's say "no network" for every link):
  // their "yes" is taken, their "no" only where the address stays on this computer.
  if (!StaysOnThisComputer(url)) return true;
  if (IsWine()) return false;
  DWORD usesNetwork = 0;
  DWORD size = 0;
  const HRESULT result =
      CoInternetQueryInfo(url.c_str(), QUERY_USES_NETWORK, 0, &usesNetwork, sizeof(usesNetwork), &size, 0);
  return SUCCEEDED(result) && usesNetwork != 0;
}

bool IsUrlAllowed(const std::wstring& url) { return !IsWorkingOffline() || !UrlUsesNetwork(url); }

}  // namespace hv
