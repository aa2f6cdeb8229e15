#pragma once
// Small text helpers shared by the layers above the operating-system seams.

#include <cstdint>
#include <string_view>

namespace vellumor::platform {

// The decimal integer at the start of `text`, the way stored flags and numbers are read back:
// leading blanks (space, tab, line feed, vertical tab, form feed, carriage return), an optional
// sign, then digits; anything after the digits is ignored and a text without such digits gives 0.
// A value outside the 32-bit range wraps as a 32-bit integer would, so a damaged store never
// makes the reader fail or overflow.
std::int32_t ParseLeadingInteger(std::string_view text);

}  // namespace vellumor::platform
