#pragma once
// A small web server for one test, on 127.0.0.1 at a free port: answers each path with a fixed
// reply and records every request it reads. One thread serves one connection at a time; it
// stops with the object, and by itself after a minute so that no failed test leaves it running.

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vellumor::test {

class TestHttpServer final {
 public:
  enum class Behaviour {
    Reply,        // sends the status line, the headers and the body
    CloseAtOnce,  // reads the request and closes the connection without a word
    Stall,        // reads the request and then sends nothing, keeping the connection open
  };
  struct Reply {
    Behaviour behaviour{Behaviour::Reply};
    int status{200};
    std::string body;
    std::string extraHeaders;  // whole header lines, each ended by CR LF
  };

  static Reply Page(std::string body, int status = 200) { return Reply{Behaviour::Reply, status, std::move(body), {}}; }
  static Reply RedirectTo(const std::string& location) {
    return Reply{Behaviour::Reply, 302, {}, "Location: " + location + "\r\n"};
  }

  TestHttpServer();
  ~TestHttpServer();
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  // Paths without a reply are answered 404.
  void Serve(const std::string& path, Reply reply);
  // "http://127.0.0.1:<port><path>"
  std::string Url(std::string_view path) const;
  // The head (request line and headers) of every request read, oldest first.
  std::vector<std::string> Requests() const;

 private:
  void Loop();
  void Handle(int connection);

  int listener_{-1};
  int port_{0};
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::map<std::string, Reply> replies_;
  std::vector<std::string> requests_;
  std::vector<int> stalled_;
  std::thread thread_;
};

}  // namespace vellumor::test
