#include "base/Text.h"

#include <cstddef>

namespace vellumor::base {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::int32_t ParseLeadingInteger(std::string_view text) {
  std::size_t pos{0};
  while (pos < text.size() && IsBlank(text[pos])) {
    ++pos;
  }
  bool negative{false};
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  // Accumulate modulo 2^32 in an unsigned type: overflow there is defined, and the final
  // conversion to int32_t is modular since C++20.
  std::uint32_t value{0};
  while (pos < text.size() && IsDigit(text[pos])) {
    value = value * 10U + static_cast<std::uint32_t>(text[pos] - '0');
    ++pos;
  }
  if (negative) {
    value = 0U - value;
  }
  return static_cast<std::int32_t>(value);
}

std::string_view Utf8Prefix(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) {
    return text;
  }
  // A character that starts at most three bytes before the cut and needs more bytes than remain
  // before it is left out whole.
  for (std::size_t back = 1; back <= 4 && back <= limit; ++back) {
    const auto byte = static_cast<unsigned char>(text[limit - back]);
    if ((byte & 0xC0) == 0x80) {
      continue;  // a continuation byte: look further back for the character's first byte
    }
    std::size_t length = 1;
    if ((byte & 0xE0) == 0xC0) {
      length = 2;
    } else if ((byte & 0xF0) == 0xE0) {
      length = 3;
    } else if ((byte & 0xF8) == 0xF0) {
      length = 4;
    }
    return text.substr(0, length > back ? limit - back : limit);
  }
  return text.substr(0, limit);
}

}  // namespace vellumor::base
