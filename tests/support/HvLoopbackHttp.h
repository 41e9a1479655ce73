// A small HTTP server on loopback inside the test process, for tests of real downloads: it
// answers by path, also when a proxy forwards the request with the whole URL.
//   /ok        200 "hello" (text/plain; charset=utf-8)
//   /latin1    200 "caf\xE9" (text/plain; charset=iso-8859-1)
//   /moved     301 to /ok          /found   302 to /ok          /self   302 to itself
//   /missing   404                 /proxy   407                 /fail   500
//   /slow      200 after 3 seconds
// Every answer carries "X-Loopback: yes".
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace hvtest {

class LoopbackHttpServer {
 public:
  LoopbackHttpServer();   // listening on 127.0.0.1 at a free port
  ~LoopbackHttpServer();  // stops and waits for its thread
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  unsigned short Port() const { return FPort; }
  std::wstring Url(const std::wstring& path) const;  // http://127.0.0.1:<port><path>
  // The request lines received so far ("GET http://site.test/ok HTTP/1.1").
  std::vector<std::string> RequestLines() const;

 private:
  void Serve();
  void Answer(std::uintptr_t client);

  std::uintptr_t FListener;
  unsigned short FPort = 0;
  std::atomic<bool> FStopping{false};
  mutable std::mutex FLock;
  std::vector<std::string> FRequestLines;
  std::vector<std::thread> FAnswers;  // joined when the server goes
  std::thread FThread;
};

// A port nobody listens on at the moment.
unsigned short FreeLoopbackPort();
// Whether something accepts connections on the loopback port within `waitMs`.
bool LoopbackPortAccepts(unsigned short port, unsigned waitMs);

}  // namespace hvtest
