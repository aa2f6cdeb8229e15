#include "base/Text.h"

#include <gtest/gtest.h>

#include <string>

namespace vellumor::base {
namespace {

TEST(TextTest, ParseLeadingIntegerReadsBlanksSignAndDigits) {
  struct Case {
    std::string_view text;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"300", 300},
      {"0", 0},
      {"1", 1},
      {"  \t\r\n\v\f42", 42},
      {"-7", -7},
      {"+15", 15},
      {" -12abc", -12},
      {"12 34", 12},
      {"abc", 0},
      {"", 0},
      {"-", 0},
      {"+-3", 0},
      {"- 3", 0},
      {"0x1F", 0},
      {"007", 7},
      {"\xC2\xA0"
       "5",
       0},  // a no-break space is not a blank
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseLeadingInteger(c.text), c.expected) << '"' << c.text << '"';
  }
}

TEST(TextTest, ParseLeadingIntegerWrapsOutOfRangeValuesLikeA32BitInteger) {
  EXPECT_EQ(ParseLeadingInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseLeadingInteger("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseLeadingInteger("2147483648"), INT32_MIN);
  EXPECT_EQ(ParseLeadingInteger("4294967297"), 1);
  EXPECT_EQ(ParseLeadingInteger("-4294967295"), 1);
  // Far longer than any integer type: still no overflow, still the wrapped answer. 10^200 is a
  // multiple of 2^32, so 200 nines (10^200 - 1) wrap to -1 and a one with 200 zeros to 0.
  EXPECT_EQ(ParseLeadingInteger(std::string(200, '9')), -1);
  EXPECT_EQ(ParseLeadingInteger("1" + std::string(200, '0')), 0);
}

}  // namespace
}  // namespace vellumor::base
