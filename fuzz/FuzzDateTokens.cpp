// Prefixes and postfixes are typed by the user; expanding their tokens must never fail badly for
// any text at any moment of the calendar.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "convert/DateTokens.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vellumor;
  if (size < 4) {
    return 0;
  }
  // The first bytes choose the moment: years 1900-2155, any day and time.
  const int year = 1900 + data[0];
  const int month = 1 + data[1] % 12;
  const int day = 1 + data[2] % 28;
  const int hour = data[3] % 24;
  const platform::LocalTime now = platform::MakeLocalTime(year, month, day, hour, data[3] % 60, data[2] % 60);
  convert::ExpandDateTokens(std::string_view{reinterpret_cast<const char*>(data) + 4, size - 4}, now);
  return 0;
}
