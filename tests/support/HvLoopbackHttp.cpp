#include "HvLoopbackHttp.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>

namespace hvtest {
namespace {

struct WinsockStart {
  WinsockStart() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
};

void StartWinsock() { static WinsockStart started; }

SOCKET LoopbackSocket(unsigned short port) {
  StartWinsock();
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    closesocket(s);
    return INVALID_SOCKET;
  }
  return s;
}

unsigned short PortOf(SOCKET s) {
  sockaddr_in address{};
  int size = sizeof(address);
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
  return ntohs(address.sin_port);
}

struct Reply {
  int status;
  const char* reason;
  std::string extraHeaders;
  std::string contentType;
  std::string body;
};

Reply ReplyFor(const std::string& path, const std::string& base) {
  if (path == "/ok") return {200, "OK", "", "text/plain; charset=utf-8", "hello"};
  if (path == "/latin1") return {200, "OK", "", "text/plain; charset=iso-8859-1", "caf\xE9"};
  if (path == "/moved") return {301, "Moved Permanently", "Location: " + base + "/ok\r\n", "text/plain", "moved"};
  if (path == "/found") return {302, "Found", "Location: " + base + "/ok\r\n", "text/plain", "found"};
  if (path == "/self") return {302, "Found", "Location: " + base + "/SELF\r\n", "text/plain", "self"};
  if (path == "/proxy")
    return {407, "Proxy Authentication Required", "Proxy-Authenticate: Basic realm=\"test\"\r\n", "text/plain", "who?"};
  if (path == "/fail") return {500, "Internal Server Error", "", "text/plain; charset=utf-8", "line one\nline two"};
  if (path == "/slow") {
    std::this_thread::sleep_for(std::chrono::seconds(3));
    return {200, "OK", "", "text/plain", "late"};
  }
  return {404, "Not Found", "", "text/plain", "nothing here"};
}

}  // namespace

unsigned short FreeLoopbackPort() {
  SOCKET s = LoopbackSocket(0);
  const unsigned short port = PortOf(s);
  closesocket(s);
  return port;
}

bool LoopbackPortAccepts(unsigned short port, unsigned waitMs) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  do {
    SOCKET s = LoopbackSocket(0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool connected = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    closesocket(s);
    if (connected) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (std::chrono::steady_clock::now() < until);
  return false;
}

LoopbackHttpServer::LoopbackHttpServer() {
  SOCKET listener = LoopbackSocket(0);
  listen(listener, SOMAXCONN);
  FListener = listener;
  FPort = PortOf(listener);
  FThread = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
  FStopping = true;
  closesocket(static_cast<SOCKET>(FListener));
  FThread.join();
  for (std::thread& answer : FAnswers) answer.join();
}

std::wstring LoopbackHttpServer::Url(const std::wstring& path) const {
  return L"http://127.0.0.1:" + std::to_wstring(FPort) + path;
}

std::vector<std::string> LoopbackHttpServer::RequestLines() const {
  std::lock_guard guard(FLock);
  return FRequestLines;
}

void LoopbackHttpServer::Serve() {
  while (!FStopping) {
    SOCKET client = accept(static_cast<SOCKET>(FListener), nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    std::lock_guard guard(FLock);
    FAnswers.emplace_back([this, client] { Answer(client); });
  }
}

// One request per connection; the answer closes it.
void LoopbackHttpServer::Answer(std::uintptr_t clientHandle) {
  SOCKET client = static_cast<SOCKET>(clientHandle);
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    int received = recv(client, buffer, sizeof(buffer), 0);
    if (received <= 0) break;
    request.append(buffer, received);
  }
  const std::string line = request.substr(0, request.find("\r\n"));
  {
    std::lock_guard guard(FLock);
    FRequestLines.push_back(line);
  }
  // "GET /ok HTTP/1.1" or, forwarded by a proxy, "GET http://site.test/ok HTTP/1.1".
  std::string target = line.substr(line.find(' ') + 1);
  target = target.substr(0, target.find(' '));
  std::string base = "http://127.0.0.1:" + std::to_string(FPort);
  if (const size_t scheme = target.find("://"); scheme != std::string::npos) {
    const size_t slash = target.find('/', scheme + 3);
    base = target.substr(0, slash);
    target = slash == std::string::npos ? "/" : target.substr(slash);
  }
  const Reply reply = ReplyFor(target, base);
  std::string answer = "HTTP/1.1 " + std::to_string(reply.status) + " " + reply.reason + "\r\n" +
                       "Content-Type: " + reply.contentType + "\r\n" + "Content-Length: " +
                       std::to_string(reply.body.size()) + "\r\n" + "X-Loopback: yes\r\n" + reply.extraHeaders +
                       "Connection: close\r\n\r\n" + reply.body;
  send(client, answer.data(), static_cast<int>(answer.size()), 0);
  shutdown(client, SD_SEND);
  while (recv(client, buffer, sizeof(buffer), 0) > 0) {
  }
  closesocket(client);
}

}  // namespace hvtest
