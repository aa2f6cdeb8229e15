#pragma once
// Paths meet texts (settings, messages, the command line, the engine's arguments) in UTF-8, the
// encoding the program uses for every name. A path made from a narrow string or turned back into
// one would otherwise go through the system's narrow encoding, which on Windows is the ANSI code
// page and loses every character outside it.

#include <filesystem>
#include <string>
#include <string_view>

namespace vellumor::platform {

std::filesystem::path PathFromUtf8(std::string_view text);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace vellumor::platform
