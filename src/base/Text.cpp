#include "base/Text.h"

#include <cstddef>

namespace vellumor::base {

std::int32_t ParseLeadingInteger(std::string_view text) {
  std::size_t pos{0};
  while (pos < text.size() && IsAsciiBlank(text[pos])) {
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
  while (pos < text.size() && IsAsciiDigit(text[pos])) {
    value = value * 10U + static_cast<std::uint32_t>(text[pos] - '0');
    ++pos;
  }
  if (negative) {
    value = 0U - value;
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace vellumor::base
