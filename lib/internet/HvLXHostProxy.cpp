#include "HvLXHostProxy.h"

#include <mutex>
#include <string>
#include <vector>

#include "HvExceptions.h"
#include "HvLXFlash.h"
#include "HvLXHost.h"
#include "HvLXHostScript.h"
#include "HvLXInternetSettings.h"
#include "HvLXStrings.h"
#include "HvLXUrlEscapes.h"
#include "HvWindows.h"

namespace hv {
namespace {

const wchar_t kDetectingMessage[] = L"Detecting web proxy...";

struct TCachedHostProxy {
  std::mutex Lock;
  bool Filled = false;
  THostProxyAddress Address;
};

TCachedHostProxy& Cache() {
  static TCachedHostProxy cache;
  return cache;
}

struct TMacToolFolder {
  std::mutex Lock;
  std::wstring Folder;  // empty: the system's
};

TMacToolFolder& MacToolFolder() {
  static TMacToolFolder folder;
  return folder;
}

// `tool` of `systemFolder` as the first word of a host command.
std::wstring MacTool(const wchar_t* systemFolder, const wchar_t* tool) {
  TMacToolFolder& folder = MacToolFolder();
  std::lock_guard guard(folder.Lock);
  return HostShellWord((folder.Folder.empty() ? std::wstring(systemFolder) : folder.Folder) + L"/" + tool);
}
std::wstring Ifconfig() { return MacTool(L"/sbin", L"ifconfig"); }
std::wstring Networksetup() { return MacTool(L"/usr/sbin", L"networksetup"); }

std::wstring EnvironmentValue(const wchar_t* name) {
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  while (size > 0) {
    std::wstring value(size, L'\0');
    DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    if (length < size) {
      value.resize(length);
      return value;
    }
    size = length;  // it grew meanwhile
  }
  return {};
}

std::vector<std::wstring> OutputLines(const std::wstring& output) {
  std::vector<std::wstring> lines;
  for (std::wstring& line : SplitLX(output, L"\n")) {
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

bool MacInterfaceActive(const std::wstring& device) {
  const std::wstring output = Wine_RunScript(L"get intf status", Ifconfig() + L" " + HostShellWord(device));
  return ContainsTextLX(output, L"status: active");
}

std::wstring MacHardwarePort(const std::wstring& device) {
  std::wstring port = device == L"en0" ? L"ethernet" : device == L"en1" ? L"airport" : L"";
  const std::vector<std::wstring> lines = OutputLines(
      Wine_RunScript(L"network hardware ports", Networksetup() + L" -listallhardwareports"));
  const std::wstring portPrefix = L"Hardware Port: ";
  for (size_t i = 1; i < lines.size(); ++i) {
    if (ContainsTextLX(lines[i], L"Device: " + device) && StartsTextLX(portPrefix, lines[i - 1]))
      return TrimLX(std::wstring_view(lines[i - 1]).substr(portPrefix.size()));
  }
  return port;
}

// "Enabled: Yes", "Server: proxy", "Port: 8080" -> "proxy:8080"; empty when not enabled.
std::wstring MacProxyOf(const std::wstring& title, const std::wstring& option, const std::wstring& port) {
  const std::wstring output = Wine_RunScript(title, Networksetup() + L" " + option + L" " + HostShellWord(port));
  std::wstring enabled, server, portNumber;
  for (const std::wstring& line : OutputLines(output)) {
    const size_t colon = line.find(L':');
    if (colon == std::wstring::npos) continue;
    const std::wstring name = TrimLX(std::wstring_view(line).substr(0, colon));
    const std::wstring value = TrimLX(std::wstring_view(line).substr(colon + 1));
    if (SameTextLX(name, L"Enabled")) enabled = value;
    else if (SameTextLX(name, L"Server")) server = value;
    else if (SameTextLX(name, L"Port")) portNumber = value;
  }
  if (!SameTextLX(enabled, L"Yes") || server.empty()) return {};
  return portNumber.empty() ? server : server + L":" + portNumber;
}

std::wstring MacProxyOfPort(const std::wstring& port) {
  if (port.empty()) return {};
  const std::wstring web = MacProxyOf(L"httpproxy", L"-getwebproxy", port);
  const std::wstring secure = MacProxyOf(L"httpsproxy", L"-getsecurewebproxy", port);
  if (SameTextLX(web, secure)) return web;
  std::wstring joined;
  if (!web.empty()) joined = L"http=" + web;
  if (!secure.empty()) joined += (joined.empty() ? L"" : L";") + (L"https=" + secure);
  return joined;
}

THostProxyAddress DetectHostProxy(bool useMacSettings) {
  HV_ASSERT(IsWine());
  THostProxyAddress address = ParseHostProxyAddress(EnvironmentValue(L"http_proxy"));
  if (IsMac() && useMacSettings) {
    IFlash flash = CreateFlash(kDetectingMessage);
    for (auto [device, name] : {std::pair{L"en0", L"  [Ethernet]"}, std::pair{L"en1", L"  [Wi-Fi]"}}) {
      if (!MacInterfaceActive(device)) continue;
      flash->SetMessage(std::wstring(kDetectingMessage) + name);
      address = {MacProxyOfPort(MacHardwarePort(device)), L"", L""};
      break;
    }
  }
  return address;
}

}  // namespace

THostProxyAddress ParseHostProxyAddress(const std::wstring& text) {
  std::wstring rest = TrimLX(text);
  if (size_t scheme = rest.find(L"://"); scheme != std::wstring::npos) rest.erase(0, scheme + 3);
  THostProxyAddress address;
  // A proxy address has no use for an "@" in a path, but a password may hold a "/" unescaped.
  if (size_t at = rest.rfind(L'@'); at != std::wstring::npos) {
    const std::wstring_view userInfo = std::wstring_view(rest).substr(0, at);
    const size_t colon = userInfo.find(L':');
    address.Username = PercentDecodedLX(userInfo.substr(0, colon));
    if (colon != std::wstring_view::npos) address.Password = PercentDecodedLX(userInfo.substr(colon + 1));
    rest.erase(0, at + 1);
  }
  if (size_t slash = rest.find(L'/'); slash != std::wstring::npos) rest.erase(slash);
  address.Server = rest;
  return address;
}

std::wstring GetHostProxy() {
  TCachedHostProxy& cache = Cache();
  {
    std::lock_guard guard(cache.Lock);
    if (cache.Filled) return cache.Address.Server;
  }
  THostProxyAddress address = DetectHostProxy(GetAdvancedInternetSettings().Proxy_MacAdvanced_AutoDetect);
  std::lock_guard guard(cache.Lock);
  cache.Filled = true;
  cache.Address = address;
  return address.Server;
}

std::wstring RedetectHostProxy(bool useMacSettings) { return DetectHostProxy(useMacSettings).Server; }

void GetHostProxyCredentials(std::wstring& username, std::wstring& password) {
  TCachedHostProxy& cache = Cache();
  std::lock_guard guard(cache.Lock);
  username = cache.Filled ? cache.Address.Username : L"";
  password = cache.Filled ? cache.Address.Password : L"";
}

void ForgetCachedHostProxy() {
  TCachedHostProxy& cache = Cache();
  std::lock_guard guard(cache.Lock);
  cache.Filled = false;
  cache.Address = {};
}

void SetMacNetworkToolFolder(const std::wstring& hostFolder) {
  TMacToolFolder& folder = MacToolFolder();
  std::lock_guard guard(folder.Lock);
  folder.Folder = hostFolder;
}

}  // namespace hv
