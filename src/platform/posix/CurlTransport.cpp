// The HTTP transport over libcurl: one easy handle per page, as each probe opens a session of
// its own.

#include <curl/curl.h>

#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "platform/posix/CurlTransport.h"

namespace vellumor::platform {

namespace {

struct CurlFree {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
  void operator()(char* text) const { curl_free(text); }
};
using EasyHandle = std::unique_ptr<CURL, CurlFree>;
using UrlHandle = std::unique_ptr<CURLU, CurlFree>;
using HeaderList = std::unique_ptr<curl_slist, CurlFree>;
using CurlText = std::unique_ptr<char, CurlFree>;

void InitialiseCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The address's scheme in lower case, or "" when libcurl cannot split the address into a scheme,
// a server and a path.
std::string SchemeOf(std::string_view address) {
  const UrlHandle url{curl_url()};
  if (!url || curl_url_set(url.get(), CURLUPART_URL, std::string{address}.c_str(), 0) != CURLUE_OK) {
    return {};
  }
  char* host = nullptr;
  if (curl_url_get(url.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK) {
    return {};
  }
  const CurlText hostText{host};
  char* scheme = nullptr;
  if (host == nullptr || *host == '\0' || curl_url_get(url.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK) {
    return {};
  }
  const CurlText schemeText{scheme};
  return scheme;  // libcurl hands the scheme back in lower case
}

// The state of one transfer, reached from libcurl's callbacks.
struct Transfer {
  CURL* handle;
  ResponseReceiver& receiver;
  bool statusGiven{false};
  bool stopped{false};
  std::exception_ptr error;

  // The status code is final once the first byte of the body arrives (or the transfer ends).
  bool GiveStatus() {
    if (!statusGiven) {
      statusGiven = true;
      long code = 0;
      curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &code);
      stopped = !receiver.OnStatus(code);
    }
    return !stopped;
  }
};

// Nothing may be thrown through libcurl: an exception is kept and raised again after the call.
size_t TakeBody(char* data, size_t size, size_t count, void* user) {
  Transfer& transfer = *static_cast<Transfer*>(user);
  const size_t length = size * count;
  try {
    if (!transfer.GiveStatus() || !transfer.receiver.OnBody(std::string_view{data, length})) {
      transfer.stopped = true;
      return length == 0 ? 1 : 0;  // any other count than `length` ends the transfer
    }
  } catch (...) {
    transfer.error = std::current_exception();
    transfer.stopped = true;
    return length == 0 ? 1 : 0;
  }
  return length;
}

HeaderList MakeHeaderList(std::string_view block) {
  HeaderList list;
  while (!block.empty()) {
    const std::size_t end = block.find("\r\n");
    const std::string line{block.substr(0, end)};
    block = end == std::string_view::npos ? std::string_view{} : block.substr(end + 2);
    if (line.empty()) {
      continue;
    }
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown == nullptr) {
      break;
    }
    static_cast<void>(list.release());
    list.reset(grown);
  }
  return list;
}

class CurlTransport final : public HttpTransport {
 public:
  CurlTransport(TransportTimeouts timeouts, std::string trustedAuthorities)
      : timeouts_{timeouts}, trustedAuthorities_{std::move(trustedAuthorities)} {
    InitialiseCurlOnce();
  }

  bool AcceptsAddress(std::string_view address) const override {
    const std::string scheme = SchemeOf(address);
    return scheme == "http" || scheme == "https";
  }

  std::optional<TransportFailure> Get(std::string_view address, std::string_view headerBlock,
                                      ResponseReceiver& receiver) override {
    const EasyHandle handle{curl_easy_init()};
    if (!handle) {
      return TransportFailure{curl_easy_strerror(CURLE_FAILED_INIT)};
    }
    CURL* curl = handle.get();
    const std::string url{address};
    const HeaderList headers = MakeHeaderList(headerBlock);
    char errorText[CURL_ERROR_SIZE] = {};
    Transfer transfer{curl, receiver, false, false, nullptr};

    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    // Following a redirect from https to plain http would let anyone on the way choose the page.
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, SchemeOf(address) == "https" ? "https" : "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!trustedAuthorities_.empty()) {
      curl_easy_setopt(curl, CURLOPT_CAINFO, trustedAuthorities_.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts_.connect.count()));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeouts_.total.count()));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(timeouts_.stall.count()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, TakeBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);

    const CURLcode result = curl_easy_perform(curl);
    if (transfer.error) {
      std::rethrow_exception(transfer.error);
    }
    if (transfer.stopped) {
      return std::nullopt;
    }
    if (result != CURLE_OK) {
      return TransportFailure{errorText[0] != '\0' ? std::string{errorText} : curl_easy_strerror(result)};
    }
    transfer.GiveStatus();  // a response without a body
    return std::nullopt;
  }

 private:
  TransportTimeouts timeouts_;
  std::string trustedAuthorities_;
};

}  // namespace

std::unique_ptr<HttpTransport> MakeHttpTransport(TransportTimeouts timeouts) {
  return MakeCurlTransport(timeouts, {});
}

std::unique_ptr<HttpTransport> MakeCurlTransport(TransportTimeouts timeouts, std::string trustedAuthorities) {
  return std::make_unique<CurlTransport>(timeouts, std::move(trustedAuthorities));
}

}  // namespace vellumor::platform
