#pragma once
// Date and time tokens in file-name prefixes and postfixes ("[YYYY]-[MM]-[DD]" ...).

#include <string>
#include <string_view>

#include "platform/Clock.h"

namespace vellumor::convert {

// Replaces every token, case-sensitively, in the fixed order of the token table, using `now`.
std::string ExpandDateTokens(std::string_view name, const platform::LocalTime& now);

}  // namespace vellumor::convert
