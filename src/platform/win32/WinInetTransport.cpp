// The HTTP transport over WinINet: one session per page, as each probe opens a session of its
// own, and one request opened by its address, under a watch that ends it when it stalls.

#include "platform/win32/WinInetTransport.h"

#include <chrono>
#include <string>
#include <vector>

#include "platform/win32/TransferWatchdog.h"
#include "platform/win32/WideText.h"

namespace vellumor::platform {

namespace {

// The network's own words for the failure: WinINet keeps its texts in its own module, and for
// an extended error the server's last response says what happened.
TransportFailure FailureFromError(DWORD code) {
  if (code == ERROR_INTERNET_EXTENDED_ERROR) {
    DWORD detail = 0;
    DWORD length = 0;
    ::InternetGetLastResponseInfoW(&detail, nullptr, &length);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    if (::InternetGetLastResponseInfoW(&detail, text.data(), &length)) {
      text.resize(length);
      return TransportFailure{Utf8FromWide(text)};
    }
  }
  wchar_t* buffer = nullptr;
  const DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       ::GetModuleHandleW(L"wininet.dll"), code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::wstring text = length > 0 && buffer != nullptr ? std::wstring{buffer, length} : std::wstring{};
  ::LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.pop_back();
  }
  if (!text.empty()) {
    return TransportFailure{Utf8FromWide(text)};
  }
  // The failures this transport reports on its own, worded as Windows words them, for systems
  // whose WinINet has no text for them.
  switch (code) {
    case ERROR_HTTP_INVALID_SERVER_RESPONSE:
      return TransportFailure{"The server returned an invalid or unrecognized response"};
    case ERROR_INTERNET_TIMEOUT:
      return TransportFailure{"The operation timed out"};
    default:
      return TransportFailure{"Network error " + std::to_string(code) + "."};
  }
}

TransportFailure FailureFromLastError() {
  return FailureFromError(::GetLastError());
}

// A call failed: because the watch ended a transfer that took too long, or for its own reason.
TransportFailure Failure(TransferWatchdog& watchdog) {
  const DWORD code = ::GetLastError();
  return FailureFromError(watchdog.Fired() ? ERROR_INTERNET_TIMEOUT : code);
}

// The header block's lines; the User-Agent line becomes the session's agent name, so that the
// server sees exactly one.
struct RequestHeaders {
  std::wstring agent;
  std::wstring others;  // CR LF separated
};

RequestHeaders SplitHeaders(std::string_view block) {
  constexpr std::string_view kAgent = "User-Agent:";
  RequestHeaders headers;
  while (!block.empty()) {
    const std::size_t end = block.find("\r\n");
    std::string_view line = block.substr(0, end);
    block = end == std::string_view::npos ? std::string_view{} : block.substr(end + 2);
    if (line.empty()) {
      continue;
    }
    if (line.size() >= kAgent.size() && std::equal(kAgent.begin(), kAgent.end(), line.begin(),
                                                   [](char a, char b) { return (a | 0x20) == (b | 0x20); })) {
      line.remove_prefix(kAgent.size());
      while (!line.empty() && line.front() == ' ') {
        line.remove_prefix(1);
      }
      headers.agent = WideFromUtf8(line);
      continue;
    }
    headers.others += WideFromUtf8(line) + L"\r\n";
  }
  return headers;
}

bool SetTimeout(HINTERNET session, DWORD option, std::chrono::milliseconds timeout) {
  DWORD value = static_cast<DWORD>(timeout.count());
  return ::InternetSetOptionW(session, option, &value, sizeof(value)) != 0;
}

class WinInetTransport final : public HttpTransport {
 public:
  explicit WinInetTransport(TransportTimeouts timeouts) : timeouts_{timeouts} {}

  bool AcceptsAddress(std::string_view address) const override {
    std::wstring url = WideFromUtf8(address);
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = 1;  // asks for the host's position without copying it
    if (url.empty() || !::InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) {
      return false;
    }
    return (parts.nScheme == INTERNET_SCHEME_HTTP || parts.nScheme == INTERNET_SCHEME_HTTPS) &&
           parts.dwHostNameLength > 0;
  }

  std::optional<TransportFailure> Get(std::string_view address, std::string_view headerBlock,
                                      ResponseReceiver& receiver) override {
    const RequestHeaders headers = SplitHeaders(headerBlock);
    HINTERNET session = ::InternetOpenW(headers.agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (session == nullptr) {
      return FailureFromLastError();
    }
    const auto stall = std::chrono::duration_cast<std::chrono::milliseconds>(timeouts_.stall);
    SetTimeout(session, INTERNET_OPTION_CONNECT_TIMEOUT, timeouts_.connect);
    SetTimeout(session, INTERNET_OPTION_SEND_TIMEOUT, stall);
    SetTimeout(session, INTERNET_OPTION_RECEIVE_TIMEOUT, stall);
    TransferWatchdog watchdog{session, timeouts_};

    const std::wstring url = WideFromUtf8(address);
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                        INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH;
    HINTERNET request =
        ::InternetOpenUrlW(session, url.c_str(), headers.others.empty() ? nullptr : headers.others.c_str(),
                           static_cast<DWORD>(headers.others.size()), flags, 1);
    if (request == nullptr) {
      return Failure(watchdog);
    }
    watchdog.SetRequest(request);
    watchdog.Progress();
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
      return Failure(watchdog);
    }
    // A connection closed before any status line came is a failed request, not a page.
    if (status == 0) {
      return FailureFromError(ERROR_HTTP_INVALID_SERVER_RESPONSE);
    }
    if (!receiver.OnStatus(static_cast<long>(status))) {
      return std::nullopt;
    }
    std::vector<char> buffer(32768);
    for (;;) {
      DWORD read = 0;
      if (!::InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read)) {
        return Failure(watchdog);
      }
      if (read == 0) {
        return std::nullopt;
      }
      watchdog.Progress();
      if (!receiver.OnBody(std::string_view{buffer.data(), read})) {
        return std::nullopt;
      }
    }
  }

 private:
  TransportTimeouts timeouts_;
};

}  // namespace

std::unique_ptr<HttpTransport> MakeWinInetTransport(TransportTimeouts timeouts) {
  return std::make_unique<WinInetTransport>(timeouts);
}

std::unique_ptr<HttpTransport> MakeHttpTransport(TransportTimeouts timeouts) {
  return MakeWinInetTransport(timeouts);
}

}  // namespace vellumor::platform
