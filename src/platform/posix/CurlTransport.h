#pragma once
// The web client on libcurl, with the one choice the system's transport does not offer: which
// certificate authorities to trust (tests serve https with an authority of their own).

#include <memory>
#include <string>

#include "platform/HttpTransport.h"

namespace vellumor::platform {

// As MakeHttpTransport; `trustedAuthorities` names a file of the certificate authorities to trust
// instead of the system's ("" trusts the system's).
std::unique_ptr<HttpTransport> MakeCurlTransport(TransportTimeouts timeouts, std::string trustedAuthorities);

}  // namespace vellumor::platform
