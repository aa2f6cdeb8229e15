#pragma once
// The HTTP transport of the updater on Windows: the system's WinINet service, which brings the
// user's proxy settings and the system's certificate checks with it.

#include <memory>

#include "platform/HttpTransport.h"

namespace vellumor::platform {

// http and https only; redirects followed, never from https down to http (WinINet refuses
// those); nothing taken from or written to the cache, so every check sees the page as it is.
std::unique_ptr<HttpTransport> MakeWinInetTransport(TransportTimeouts timeouts = {});

}  // namespace vellumor::platform
