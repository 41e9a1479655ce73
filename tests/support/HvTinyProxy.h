// A real HTTP proxy (the host's tinyproxy) on loopback for one test: started through the host
// shell with its own configuration, log and pid file in a scratch folder, stopped by its
// process id. Under Wine only.
#pragma once

#include <string>

#include "HvTestSupport.h"

namespace hvtest {

struct TinyProxyOptions {
  std::wstring username, password;  // with a user name, the proxy asks for basic authentication
  // Requests for hosts below this domain (".only-proxy.test") go on to this port of loopback,
  // so a host name only the proxy can reach answers there.
  std::wstring upstreamDomain;
  unsigned short upstreamPort = 0;
};

class TinyProxy {
 public:
  explicit TinyProxy(const TinyProxyOptions& options = {});
  ~TinyProxy();
  TinyProxy(const TinyProxy&) = delete;
  TinyProxy& operator=(const TinyProxy&) = delete;

  bool Running() const { return FPid > 0 && FStartError.empty(); }
  const std::wstring& StartError() const { return FStartError; }  // what went wrong when not running
  unsigned short Port() const { return FPort; }
  std::wstring Address() const;  // "127.0.0.1:<port>"
  // What the proxy logged so far.
  std::string Log() const;

 private:
  ScratchDir FDir;
  unsigned short FPort = 0;
  long FPid = 0;
  std::wstring FStartError;
};

}  // namespace hvtest
