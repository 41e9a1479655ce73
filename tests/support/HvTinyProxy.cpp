#include "HvTinyProxy.h"

#include <cstdlib>

#include "HvEncoding.h"
#include "HvExceptions.h"
#include "HvLXHostPaths.h"
#include "HvLXHostScript.h"
#include "HvLoopbackHttp.h"
#include "HvWindows.h"

namespace hvtest {
namespace {

// Shared with the proxy, which keeps writing.
std::string ReadFileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

std::string Utf8(const std::wstring& text) { return hv::TEncoding::UTF8()->GetBytes(text); }

}  // namespace

TinyProxy::TinyProxy(const TinyProxyOptions& options) {
  FPort = FreeLoopbackPort();
  const std::wstring hostDir = hv::Wine_ConvertDosPathToNative(FDir.Path());
  std::string config = "Port " + std::to_string(FPort) + "\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\n" +
                       "Allow 127.0.0.1\nLogLevel Info\nDisableViaHeader Yes\n" + "LogFile \"" +
                       Utf8(hostDir) + "/proxy.log\"\nPidFile \"" + Utf8(hostDir) + "/proxy.pid\"\n";
  if (!options.username.empty())
    config += "BasicAuth " + Utf8(options.username) + " " + Utf8(options.password) + "\n";
  if (!options.upstreamDomain.empty())
    config += "Upstream http 127.0.0.1:" + std::to_string(options.upstreamPort) + " \"" +
              Utf8(options.upstreamDomain) + "\"\n";
  if (!WriteTextFile(FDir / L"proxy.conf", config)) {
    FStartError = L"cannot write the configuration";
    return;
  }
  try {
    // tinyproxy goes into the background once it listens.
    const std::wstring output = hv::Wine_RunScript(
        L"start tinyproxy", L"tinyproxy -c " + hv::HostShellWord(hostDir + L"/proxy.conf") + L" 2>&1; echo \"rc=$?\"");
    for (int attempt = 0; attempt < 100 && FPid <= 0; ++attempt) {
      FPid = std::atol(ReadFileBytes(FDir / L"proxy.pid").c_str());
      if (FPid <= 0) Sleep(50);
    }
    if (FPid <= 0) FStartError = L"tinyproxy did not start: " + output;
    else if (!LoopbackPortAccepts(FPort, 5000)) FStartError = L"tinyproxy does not listen: " + output;
  } catch (const hv::Exception& e) {
    FStartError = e.Message();
  }
}

TinyProxy::~TinyProxy() {
  if (FPid <= 0) return;
  try {
    hv::Wine_RunScript(L"stop tinyproxy", L"kill " + std::to_wstring(FPid));
  } catch (const hv::Exception&) {
    // The scratch folder still goes; a proxy left running ends with the machine's session.
  }
  // It removes its pid file as it ends; the folder can go then.
  for (int attempt = 0; attempt < 100 && PathExists(FDir / L"proxy.pid"); ++attempt) Sleep(50);
}

std::wstring TinyProxy::Address() const { return L"127.0.0.1:" + std::to_wstring(FPort); }

std::string TinyProxy::Log() const { return ReadFileBytes(FDir / L"proxy.log"); }

}  // namespace hvtest
