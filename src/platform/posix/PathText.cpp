#include "platform/PathText.h"

namespace vellumor::platform {

// Linux paths are bytes, and the program's texts are UTF-8 bytes already: nothing to convert.
std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path{std::string{text}};
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  return path.native();
}

std::string FileNameTheSystemKeeps(std::string name) {
  return name;
}

std::string Utf8FromJobText(std::string_view bytes) {
  return std::string{bytes};
}

}  // namespace vellumor::platform
