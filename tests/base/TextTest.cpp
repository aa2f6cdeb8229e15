#include "base/Text.h"

#include <gtest/gtest.h>

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
  // Far longer than any integer type: still no overflow, still a defined answer.
  EXPECT_EQ(ParseLeadingInteger(std::string(200, '9')), ParseLeadingInteger(std::string(200, '9')));
}

}  // namespace
}  // namespace vellumor::base
