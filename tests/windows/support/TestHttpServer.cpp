// The tests' web server on Windows sockets: the same replies and records as on Linux, so that
// the updater's checks run unchanged against the Windows transport.

#include "support/TestHttpServer.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>
#include <stdexcept>

namespace vellumor::test {

namespace {

constexpr auto kLifetime = std::chrono::minutes{1};
constexpr std::size_t kLargestHead = 64 * 1024;

// The header keeps sockets in an int; Windows socket handles fit, as kernel handles do.
SOCKET AsSocket(int handle) {
  return static_cast<SOCKET>(static_cast<unsigned int>(handle));
}

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

void SendAll(SOCKET connection, std::string_view bytes) {
  while (!bytes.empty()) {
    const int sent = send(connection, bytes.data(), static_cast<int>(bytes.size()), 0);
    if (sent <= 0) {
      return;  // the client stopped reading, which a probe does after a hit
    }
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
}

}  // namespace

TestHttpServer::TestHttpServer() {
  WSADATA data{};
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
    throw std::runtime_error("cannot start Windows sockets");
  }
  const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  int length = sizeof address;
  if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 16) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("cannot start the test web server");
  }
  listener_ = static_cast<int>(listener);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Loop(); });
}

TestHttpServer::~TestHttpServer() {
  stop_ = true;
  thread_.join();
  closesocket(AsSocket(listener_));
  for (const int connection : stalled_) {
    closesocket(AsSocket(connection));
  }
  WSACleanup();
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
    WSAPOLLFD waiting{AsSocket(listener_), POLLRDNORM, 0};
    if (WSAPoll(&waiting, 1, 50) <= 0) {
      continue;
    }
    const SOCKET connection = accept(AsSocket(listener_), nullptr, nullptr);
    if (connection != INVALID_SOCKET) {
      Handle(static_cast<int>(connection));
    }
  }
}

void TestHttpServer::Handle(int handle) {
  const SOCKET connection = AsSocket(handle);
  const DWORD patience = 5000;
  setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&patience), sizeof patience);
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < kLargestHead) {
    const int received = recv(connection, buffer, sizeof buffer, 0);
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
      closesocket(connection);
      return;
    case Behaviour::Stall:
      stalled_.push_back(handle);
      return;
    case Behaviour::Reply:
      break;
  }
  SendAll(connection, "HTTP/1.1 " + std::to_string(reply.status) + " " + ReasonPhrase(reply.status) +
                          "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(reply.body.size()) +
                          "\r\nConnection: close\r\n" + reply.extraHeaders + "\r\n");
  SendAll(connection, reply.body);
  shutdown(connection, SD_SEND);
  closesocket(connection);
}

}  // namespace vellumor::test
