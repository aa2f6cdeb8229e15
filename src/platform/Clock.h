#pragma once
// Local date and time, behind an interface so that tests can fix "now".

#include <memory>

namespace vellumor::platform {

struct LocalTime {
  int year{1970};
  int month{1};    // 1..12
  int day{1};      // 1..31
  int hour{0};     // 0..23
  int minute{0};   // 0..59
  int second{0};   // 0..60
  int weekday{4};  // 0 = Sunday .. 6 = Saturday
  int yearDay{0};  // 0..365, 0 = 1 January
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() const = 0;
  // Seconds since 1970-01-01 UTC.
  virtual long long UnixSeconds() const = 0;
};

// The machine's clock in the local time zone.
std::unique_ptr<Clock> MakeSystemClock();

// A clock that always answers the same moment (tests, reproducible runs).
class FixedClock final : public Clock {
 public:
  FixedClock(LocalTime time, long long unixSeconds) : time_{time}, unixSeconds_{unixSeconds} {}
  LocalTime Now() const override { return time_; }
  long long UnixSeconds() const override { return unixSeconds_; }

 private:
  LocalTime time_;
  long long unixSeconds_;
};

// Fills weekday and yearDay from year, month and day (proleptic Gregorian calendar).
LocalTime MakeLocalTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

}  // namespace vellumor::platform
