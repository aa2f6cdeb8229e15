#pragma once
// Text crosses into the Windows API as UTF-16 and comes back as UTF-8, the encoding the rest of
// the program uses for every name, path and value.

#include <string>
#include <string_view>

#include "platform/PathText.h"

namespace vellumor::platform {

// Invalid UTF-8 becomes U+FFFD, as the system's own conversion does; nothing is silently cut.
std::wstring WideFromUtf8(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string Utf8FromWide(std::wstring_view text);

}  // namespace vellumor::platform
