#pragma once
// Fetching a web page, behind an interface so that the updater's probes do not care how: libcurl
// on Linux, WinINet on Windows.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vellumor::platform {

// Takes a response as it arrives. Either call may return false to end the transfer early; that
// is not a failure.
class ResponseReceiver {
 public:
  virtual ~ResponseReceiver() = default;
  // The final response's status code (after redirects), once, before any of its body.
  virtual bool OnStatus(long code) = 0;
  // The next bytes of the body, in pieces of any size.
  virtual bool OnBody(std::string_view bytes) = 0;
};

// The network itself failed (name not resolved, connection refused or dropped, time-out...),
// described in the network library's own words.
struct TransportFailure {
  std::string description;
};

class HttpTransport {
 public:
  virtual ~HttpTransport() = default;
  // True when `address` splits into a scheme this transport speaks, a server and a path.
  virtual bool AcceptsAddress(std::string_view address) const = 0;
  // GETs `address`, adding the CR LF separated header lines of `headerBlock`. Nothing when the
  // response was taken whole or the receiver ended it.
  virtual std::optional<TransportFailure> Get(std::string_view address, std::string_view headerBlock,
                                              ResponseReceiver& receiver) = 0;
};

// Limits that keep a dead or stalled server from holding the caller's thread for long.
struct TransportTimeouts {
  std::chrono::milliseconds connect{std::chrono::seconds{30}};
  std::chrono::seconds stall{30};  // ends a transfer that moves no byte for this long
  std::chrono::milliseconds total{std::chrono::minutes{2}};
};

// The system's web client: http and https only (certificates checked against the system's
// authorities), redirects followed but never from https down to http, the system's proxy
// settings honoured.
std::unique_ptr<HttpTransport> MakeHttpTransport(TransportTimeouts timeouts = {});

}  // namespace vellumor::platform
