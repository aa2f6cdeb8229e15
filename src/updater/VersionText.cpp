#include "updater/VersionText.h"

#include <charconv>

#include "base/Text.h"

namespace vellumor::updater {

double ParseDecimal(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && base::IsAsciiBlank(text[at])) {
    ++at;
  }
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  // Only a digit or a point may follow: no second sign, no "inf", "nan" or hexadecimal.
  if (at >= text.size() || !(base::IsAsciiDigit(text[at]) ||
                             (text[at] == '.' && at + 1 < text.size() && base::IsAsciiDigit(text[at + 1])))) {
    return 0.0;
  }
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), value);
  static_cast<void>(end);
  if (error != std::errc{}) {
    return 0.0;
  }
  return negative ? -value : value;
}

std::string FormatVersion(double value) {
  // Large enough for the widest double written with two decimals.
  char buffer[400];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
  if (error != std::errc{}) {
    return "0.00";
  }
  return std::string(buffer, end);
}

}  // namespace vellumor::updater
