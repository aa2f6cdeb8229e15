#include "platform/Clock.h"

#include <ctime>

namespace vellumor::platform {

namespace {

class SystemClock final : public Clock {
 public:
  LocalTime Now() const override {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    if (localtime_r(&now, &parts) == nullptr) {
      return LocalTime{};
    }
    LocalTime time{};
    time.year = parts.tm_year + 1900;
    time.month = parts.tm_mon + 1;
    time.day = parts.tm_mday;
    time.hour = parts.tm_hour;
    time.minute = parts.tm_min;
    time.second = parts.tm_sec;
    time.weekday = parts.tm_wday;
    time.yearDay = parts.tm_yday;
    return time;
  }

  long long UnixSeconds() const override { return static_cast<long long>(std::time(nullptr)); }
};

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Days from 1970-01-01 to the given date in the proleptic Gregorian calendar (negative before).
long long DaysFromCivil(int year, int month, int day) {
  const long long y = static_cast<long long>(year) - (month <= 2 ? 1 : 0);
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yearOfEra = y - era * 400;
  const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

}  // namespace

std::unique_ptr<Clock> MakeSystemClock() {
  return std::make_unique<SystemClock>();
}

LocalTime MakeLocalTime(int year, int month, int day, int hour, int minute, int second) {
  LocalTime time{};
  time.year = year;
  time.month = month;
  time.day = day;
  time.hour = hour;
  time.minute = minute;
  time.second = second;
  const long long days = DaysFromCivil(year, month, day);
  // 1970-01-01 was a Thursday (4).
  time.weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);
  static constexpr int kDaysBeforeMonth[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  const int monthIndex = month >= 1 && month <= 12 ? month - 1 : 0;
  time.yearDay = kDaysBeforeMonth[monthIndex] + day - 1 + (month > 2 && IsLeapYear(year) ? 1 : 0);
  return time;
}

}  // namespace vellumor::platform
