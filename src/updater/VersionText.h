#pragma once
// Version numbers as the check reads and shows them: decimal numbers, never in the user's locale
// (a German desktop must not turn "1.07" into 1 or show "1,07").

#include <string>
#include <string_view>

namespace vellumor::updater {

// The decimal number at the start of `text`: optional blanks, an optional sign, digits with an
// optional fraction and exponent. 0 when there is none or it lies outside the range of a double.
double ParseDecimal(std::string_view text);

// `value` with two decimals, as "%.2lf" gives it in the C locale ("1.07", "0.00", "-1.50").
std::string FormatVersion(double value);

}  // namespace vellumor::updater
