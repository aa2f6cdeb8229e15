#include "platform/Text.h"

#include <cstddef>

namespace vellumor::platform {

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

}  // namespace vellumor::platform
