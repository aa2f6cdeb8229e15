#include "support/TestHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace vellumor::test {

namespace {

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
    const ssize_t sent = send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) {
      return;  // the client stopped reading, which a probe does after a hit
    }
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
}

}  // namespace

TestHttpServer::TestHttpServer() {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
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
  close(listener_);
  for (const int connection : stalled_) {
    close(connection);
  }
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
    pollfd waiting{listener_, POLLIN, 0};
    if (poll(&waiting, 1, 50) <= 0) {
      continue;
    }
    const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection >= 0) {
      Handle(connection);
    }
  }
}

void TestHttpServer::Handle(int connection) {
  timeval patience{5, 0};
  setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < kLargestHead) {
    const ssize_t received = recv(connection, buffer, sizeof buffer, 0);
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
      close(connection);
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
  shutdown(connection, SHUT_WR);
  close(connection);
}

}  // namespace vellumor::test
