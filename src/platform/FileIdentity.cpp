#include "platform/FileIdentity.h"

#include <charconv>

namespace vellumor::platform {
namespace {

// A whole unsigned decimal number, digits only (no sign, no blanks, nothing after it).
std::optional<std::uint64_t> WholeNumber(std::string_view text) {
  std::uint64_t value{0};
  const char* end = text.data() + text.size();
  if (text.empty() || text.front() < '0' || text.front() > '9') {
    return std::nullopt;
  }
  const std::from_chars_result result = std::from_chars(text.data(), end, value);
  if (result.ec != std::errc{} || result.ptr != end) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::string FileIdentity::Text() const {
  return std::to_string(device) + ":" + std::to_string(file);
}

std::optional<FileIdentity> FileIdentity::Parse(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) {
    return std::nullopt;
  }
  const std::optional<std::uint64_t> device = WholeNumber(text.substr(0, colon));
  const std::optional<std::uint64_t> file = WholeNumber(text.substr(colon + 1));
  if (!device || !file) {
    return std::nullopt;
  }
  return FileIdentity{*device, *file};
}

}  // namespace vellumor::platform
