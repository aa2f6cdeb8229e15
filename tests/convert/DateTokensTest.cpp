#include "convert/DateTokens.h"

#include <gtest/gtest.h>

namespace vellumor::convert {
namespace {

using platform::MakeLocalTime;

// Saturday 5 March 2016, 14:07:09.
const platform::LocalTime kMarch5 = MakeLocalTime(2016, 3, 5, 14, 7, 9);

TEST(DateTokensTest, EveryTokenOnAFixedDay) {
  const struct {
    const char* token;
    const char* expected;
  } cases[] = {
      {"[MM]", "03"},   {"[DD]", "05"},    {"[YY]", "2016"}, {"[YYYY]", "2016"}, {"[M]", "3"},     {"[D]", "5"},
      {"[hh]", "14"},   {"[mm]", "07"},    {"[ss]", "09"},   {"[DW]", "7"},      {"[DY]", "065"},  {"[DN]", "Saturday"},
      {"[ADN]", "Sat"}, {"[MN]", "March"}, {"[AMN]", "Mar"}, {"[AMPM]", "PM"},   {"[ampm]", "pm"}, {"[WYS]", "10"},
      {"[WYM]", "10"},  {"[WD]", "7"},     {"[DEX]", "th"},
  };
  for (const auto& [token, expected] : cases) {
    EXPECT_EQ(ExpandDateTokens(token, kMarch5), expected) << token;
  }
}

TEST(DateTokensTest, NamingExamples) {
  EXPECT_EQ(ExpandDateTokens("[YYYY]-[MM]-[DD] Report.pdf", kMarch5), "2016-03-05 Report.pdf");
  EXPECT_EQ(ExpandDateTokens("Report [hh].[mm].pdf", kMarch5), "Report 14.07.pdf");
  EXPECT_EQ(ExpandDateTokens("Report_[DD][DEX].pdf", MakeLocalTime(2016, 3, 22)), "Report_22nd.pdf");
  EXPECT_EQ(ExpandDateTokens("Report_[DD][DEX].pdf", MakeLocalTime(2016, 3, 11)), "Report_11th.pdf");
  EXPECT_EQ(ExpandDateTokens("[ADN] [D] [AMN] [YY] [hh]:[mm][ampm]", kMarch5), "Sat 5 Mar 2016 14:07pm");
}

TEST(DateTokensTest, OrdinalSuffixes) {
  const std::pair<int, const char*> cases[] = {{1, "st"},  {2, "nd"},  {3, "rd"},  {4, "th"},  {11, "th"}, {12, "th"},
                                               {13, "th"}, {21, "st"}, {22, "nd"}, {23, "rd"}, {30, "th"}, {31, "st"}};
  for (const auto& [day, suffix] : cases) {
    EXPECT_EQ(ExpandDateTokens("[DEX]", MakeLocalTime(2016, 1, day)), suffix) << day;
  }
}

TEST(DateTokensTest, MorningAndMidnight) {
  EXPECT_EQ(ExpandDateTokens("[hh][AMPM][ampm]", MakeLocalTime(2016, 3, 5, 0, 0, 0)), "00AMam");
  EXPECT_EQ(ExpandDateTokens("[hh][AMPM]", MakeLocalTime(2016, 3, 5, 11, 59, 59)), "11AM");
  EXPECT_EQ(ExpandDateTokens("[hh][AMPM]", MakeLocalTime(2016, 3, 5, 12, 0, 0)), "12PM");
}

TEST(DateTokensTest, WeekNumbersAroundTheYearStart) {
  // 1 January 2016 was a Friday: before the first Sunday and the first Monday, so week 0 + 1.
  EXPECT_EQ(ExpandDateTokens("[WYS] [WYM] [DY] [DW]", MakeLocalTime(2016, 1, 1)), "01 01 001 6");
  // Sunday 3 January starts the first Sunday week; the Monday week starts a day later.
  EXPECT_EQ(ExpandDateTokens("[WYS] [WYM]", MakeLocalTime(2016, 1, 3)), "02 01");
  EXPECT_EQ(ExpandDateTokens("[WYS] [WYM]", MakeLocalTime(2016, 1, 4)), "02 02");
  // 31 December of a leap year: day 366; 2017 began on a Sunday.
  EXPECT_EQ(ExpandDateTokens("[DY] [WYS] [WYM]", MakeLocalTime(2016, 12, 31)), "366 53 53");
  EXPECT_EQ(ExpandDateTokens("[WYS] [WYM]", MakeLocalTime(2017, 1, 1)), "02 01");
  // A year that starts on a Sunday and has 53 Sundays reaches the highest week, 54.
  EXPECT_EQ(ExpandDateTokens("[WYS]", MakeLocalTime(2012, 12, 30)), "54");
}

TEST(DateTokensTest, AllNamesAreEnglish) {
  EXPECT_EQ(ExpandDateTokens("[DN] [MN]", MakeLocalTime(2016, 12, 25)), "Sunday December");
  EXPECT_EQ(ExpandDateTokens("[ADN] [AMN]", MakeLocalTime(2016, 9, 14)), "Wed Sep");
}

TEST(DateTokensTest, TokensAreCaseSensitiveAndLeaveOtherTextAlone) {
  EXPECT_EQ(ExpandDateTokens("[yyyy] [Mm] [dd] [HH] [X] [", kMarch5), "[yyyy] [Mm] [dd] [HH] [X] [");
  EXPECT_EQ(ExpandDateTokens("", kMarch5), "");
  EXPECT_EQ(ExpandDateTokens("[[MM]]", kMarch5), "[03]");
  EXPECT_EQ(ExpandDateTokens("[MM][MM]", kMarch5), "0303");
}

TEST(DateTokensTest, InsertedTextIsNeverScannedAgain) {
  // The inserted "AM" completes the user's brackets into "[AMPM]" again; that is the user's
  // text, not a token.
  EXPECT_EQ(ExpandDateTokens("[[AMPM]PM]", MakeLocalTime(2016, 3, 5, 9)), "[AMPM]");
  EXPECT_EQ(ExpandDateTokens("[[ampm]pm]", MakeLocalTime(2016, 3, 5, 9)), "[ampm]");
  EXPECT_EQ(ExpandDateTokens("[[D]D]", MakeLocalTime(2016, 3, 5)), "[5D]");
}

TEST(DateTokensTest, YearsWithFewerDigits) {
  EXPECT_EQ(ExpandDateTokens("[YY] [YYYY]", MakeLocalTime(987, 6, 1)), "987 0987");
}

}  // namespace
}  // namespace vellumor::convert
