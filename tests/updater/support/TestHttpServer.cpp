// The tests' web server, the same on Linux and on Windows (where the updater's checks run against
// the Windows transport): only the few socket calls below differ.

#include "support/TestHttpServer.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#endif

#include <chrono>
#include <stdexcept>

namespace vellumor::test {

namespace {

#ifdef _WIN32
// The header keeps sockets in an int; Windows socket handles fit, as kernel handles do.
SOCKET AsSocket(int handle) {
  return static_cast<SOCKET>(static_cast<unsigned int>(handle));
}
void StartSockets() {
  WSADATA data{};
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
    throw std::runtime_error("cannot start Windows sockets");
  }
}
void StopSockets() {
  WSACleanup();
}
int NewListener() {
  const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  return listener == INVALID_SOCKET ? -1 : static_cast<int>(listener);
}
void CloseSocket(int handle) {
  closesocket(AsSocket(handle));
}
int SendSome(int handle, std::string_view bytes) {
  return send(AsSocket(handle), bytes.data(), static_cast<int>(bytes.size()), 0);
}
int ReceiveSome(int handle, char* buffer, std::size_t size) {
  return recv(AsSocket(handle), buffer, static_cast<int>(size), 0);
}
bool WaitForConnection(int listener) {
  WSAPOLLFD waiting{AsSocket(listener), POLLRDNORM, 0};
  return WSAPoll(&waiting, 1, 50) > 0;
}
int AcceptOne(int listener) {
  const SOCKET connection = accept(AsSocket(listener), nullptr, nullptr);
  return connection == INVALID_SOCKET ? -1 : static_cast<int>(connection);
}
void SetPatience(int handle) {
  const DWORD patience = 5000;
  setsockopt(AsSocket(handle), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&patience), sizeof patience);
}
void EndSending(int handle) {
  shutdown(AsSocket(handle), SD_SEND);
}
using AddressLength = int;
#else
void StartSockets() {}
void StopSockets() {}
int NewListener() {
  return socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
}
void CloseSocket(int handle) {
  close(handle);
}
ssize_t SendSome(int handle, std::string_view bytes) {
  return send(handle, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}
ssize_t ReceiveSome(int handle, char* buffer, std::size_t size) {
  return recv(handle, buffer, size, 0);
}
bool WaitForConnection(int listener) {
  pollfd waiting{listener, POLLIN, 0};
  return poll(&waiting, 1, 50) > 0;
}
int AcceptOne(int listener) {
  return accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}
void SetPatience(int handle) {
  timeval patience{5, 0};
  setsockopt(handle, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
}
void EndSending(int handle) {
  shutdown(handle, SHUT_WR);
}
using AddressLength = socklen_t;
#endif

constexpr auto kLifetime = std::chrono::minutes{1};
constexpr std::size_t kLargestHead = 64 * 1024;

std::string ReasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 302:
      return "Found";
    case 404:
      return "Not Found";
    default:
      return "Status";
  }
}

void SendAll(int connection, std::string_view bytes) {
  while (!bytes.empty()) {
    const auto sent = SendSome(connection, bytes);
    if (sent <= 0) {
      return;  // the client stopped reading, which a probe does after a hit
    }
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
}

}  // namespace

TestHttpServer::TestHttpServer() {
  StartSockets();
  listener_ = NewListener();
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  AddressLength length = sizeof address;
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 16) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("cannot start the test web server");
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Loop(); });
}

TestHttpServer::~TestHttpServer() {
  stop_ = true;
  thread_.join();
  CloseSocket(listener_);
  for (const int connection : stalled_) {
    CloseSocket(connection);
  }
  StopSockets();
}

void TestHttpServer::Serve(const std::string& path, Reply reply) {
  const std::lock_guard lock{mutex_};
  replies_[path] = std::move(reply);
}

std::string TestHttpServer::Url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string{path};
}

std::vector<std::string> TestHttpServer::Requests() const {
  const std::lock_guard lock{mutex_};
  return requests_;
}

void TestHttpServer::Loop() {
  const auto deadline = std::chrono::steady_clock::now() + kLifetime;
  while (!stop_ && std::chrono::steady_clock::now() < deadline) {
    if (!WaitForConnection(listener_)) {
      continue;
    }
    const int connection = AcceptOne(listener_);
    if (connection >= 0) {
      Handle(connection);
    }
  }
}

void TestHttpServer::Handle(int connection) {
  SetPatience(connection);
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < kLargestHead) {
    const auto received = ReceiveSome(connection, buffer, sizeof buffer);
    if (received <= 0) {
      break;
    }
    head.append(buffer, static_cast<std::size_t>(received));
  }
  // "GET <path> HTTP/1.1"
  const std::size_t pathStart = head.find(' ') + 1;
  const std::string path = head.substr(pathStart, head.find(' ', pathStart) - pathStart);
  Reply reply = Page("no such page", 404);
  {
    const std::lock_guard lock{mutex_};
    requests_.push_back(head);
    if (const auto found = replies_.find(path); found != replies_.end()) {
      reply = found->second;
    }
  }
  switch (reply.behaviour) {
    case Behaviour::CloseAtOnce:
      CloseSocket(connection);
      return;
    case Behaviour::Stall:
      stalled_.push_back(connection);
      return;
    case Behaviour::Reply:
      break;
  }
  SendAll(connection, "HTTP/1.1 " + std::to_string(reply.status) + " " + ReasonPhrase(reply.status) +
                          "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(reply.body.size()) +
                          "\r\nConnection: close\r\n" + reply.extraHeaders + "\r\n");
  SendAll(connection, reply.body);
  EndSending(connection);
  CloseSocket(connection);
}

}  // namespace vellumor::test
