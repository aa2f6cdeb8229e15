#include "base/Utf8.h"

namespace vellumor::base {

std::optional<Utf8Character> DecodeUtf8(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    return Utf8Character{lead, 1};
  }
  std::size_t length{0};
  char32_t value{0};
  char32_t minimum{0};  // the smallest value that needs this many bytes: below it, an overlong form
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
    minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    minimum = 0x10000;
  } else {
    return std::nullopt;
  }
  if (pos + length > text.size()) {
    return std::nullopt;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) {
      return std::nullopt;
    }
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return std::nullopt;
  }
  return Utf8Character{value, length};
}

std::string_view Utf8Prefix(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) {
    return text;
  }
  // Only a character that starts at most three bytes before the cut can run past it; it is left
  // out whole. Its start is the first byte, looking back, that is not a continuation byte.
  for (std::size_t start = limit; start > 0 && limit - start < 3;) {
    --start;
    if ((static_cast<unsigned char>(text[start]) & 0xC0) != 0x80) {
      const std::optional<Utf8Character> character = DecodeUtf8(text, start);
      return text.substr(0, character && start + character->length > limit ? start : limit);
    }
  }
  return text.substr(0, limit);
}

}  // namespace vellumor::base
