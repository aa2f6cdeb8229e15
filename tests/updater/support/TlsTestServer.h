#pragma once
// An https server for one test, on 127.0.0.1 at a port it picks itself: openssl's own server,
// with a certificate authority and a certificate for 127.0.0.1 made at start. Each path is
// answered with a fixed raw response (status line, headers and body).

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "support/TempDir.h"

namespace vellumor::test {

class TlsTestServer final {
 public:
  // Nothing, with the reason, when openssl is missing or the server does not start.
  static std::unique_ptr<TlsTestServer> Start(std::string& why);
  TlsTestServer(const TlsTestServer&) = delete;
  TlsTestServer& operator=(const TlsTestServer&) = delete;
  ~TlsTestServer();

  // `path` ("/index.htm") answers with `response`, sent as it is.
  void Serve(std::string_view path, std::string_view response) const;
  static std::string Page(std::string_view body);
  static std::string RedirectTo(std::string_view location);

  // "https://<host>:<port><path>"; the certificate is valid for 127.0.0.1 only.
  std::string Url(std::string_view path, std::string_view host = "127.0.0.1") const;
  // The authority that signed the server's certificate, as a file of trusted certificates.
  std::filesystem::path Authority() const { return folder_ / "authority.pem"; }

 private:
  TlsTestServer() = default;

  TempDir folder_;
  pid_t pid_{-1};
  int port_{0};
  std::thread drain_;
};

}  // namespace vellumor::test
