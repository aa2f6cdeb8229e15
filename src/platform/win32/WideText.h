#pragma once
// Text crosses into the Windows API as UTF-16 and comes back as UTF-8, the encoding the rest of
// the program uses for every name, path and value.

#include <filesystem>
#include <string>
#include <string_view>

namespace vellumor::platform {

// Invalid UTF-8 becomes U+FFFD, as the system's own conversion does; nothing is silently cut.
std::wstring WideFromUtf8(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string Utf8FromWide(std::wstring_view text);

// Paths in UTF-8, whatever the process's code page: std::filesystem would otherwise convert
// narrow strings through the ANSI code page and lose every character outside it.
std::filesystem::path PathFromUtf8(std::string_view text);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace vellumor::platform
