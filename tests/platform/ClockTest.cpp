#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <ctime>

namespace vellumor::platform {
namespace {

TEST(ClockTest, MakeLocalTimeFillsWeekdayAndDayOfYear) {
  struct Case {
    int year, month, day;
    int weekday, yearDay;
  };
  const Case cases[] = {
      {1970, 1, 1, 4, 0},                           // the epoch was a Thursday
      {2000, 2, 29, 2, 59},                         // leap day of a year divisible by 400
      {2000, 12, 31, 0, 365}, {1900, 3, 1, 4, 59},  // 1900 was not a leap year
      {2023, 3, 1, 3, 59},    {2024, 3, 1, 5, 60}, {2024, 12, 31, 2, 365}, {1969, 12, 31, 3, 364},  // before the epoch
      {1600, 1, 1, 6, 0},
  };
  for (const Case& c : cases) {
    const LocalTime time = MakeLocalTime(c.year, c.month, c.day, 13, 14, 15);
    EXPECT_EQ(time.weekday, c.weekday) << c.year << '-' << c.month << '-' << c.day;
    EXPECT_EQ(time.yearDay, c.yearDay) << c.year << '-' << c.month << '-' << c.day;
    EXPECT_EQ(time.hour, 13);
    EXPECT_EQ(time.second, 15);
  }
}

TEST(ClockTest, SystemClockAgreesWithTheCalendar) {
  const std::unique_ptr<Clock> clock = MakeSystemClock();
  const LocalTime now = clock->Now();
  const LocalTime rebuilt = MakeLocalTime(now.year, now.month, now.day);
  EXPECT_EQ(now.weekday, rebuilt.weekday);
  EXPECT_EQ(now.yearDay, rebuilt.yearDay);
  EXPECT_NEAR(static_cast<double>(clock->UnixSeconds()), static_cast<double>(std::time(nullptr)), 2.0);
}

}  // namespace
}  // namespace vellumor::platform
