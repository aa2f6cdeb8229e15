#include "convert/DateTokens.h"

#include <array>
#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>
#include <string>
#include <utility>

namespace vellumor::convert {

namespace {

// At least `width` digits, zero-padded, independent of the process locale.
std::string Digits(int value, int width) {
  std::string text = std::to_string(value < 0 ? -value : value);
  if (text.size() < static_cast<std::size_t>(width)) {
    text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
  }
  return value < 0 ? "-" + text : text;
}

// Calendar names always come from the classic ("C") locale, so file names stay English
// whatever language the desktop runs in.
std::string CalendarName(const platform::LocalTime& now, const char* format) {
  std::tm tm{};
  tm.tm_year = now.year - 1900;
  tm.tm_mon = now.month - 1;
  tm.tm_mday = now.day;
  tm.tm_wday = now.weekday;
  tm.tm_yday = now.yearDay;
  if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_wday < 0 || tm.tm_wday > 6) {
    return {};
  }
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << std::put_time(&tm, format);
  return out.str();
}

std::string OrdinalSuffix(int day) {
  switch (day) {
    case 1:
    case 21:
    case 31:
      return "st";
    case 2:
    case 22:
      return "nd";
    case 3:
    case 23:
      return "rd";
    default:
      return "th";
  }
}

// The token table, in the order in which tokens are looked for.
std::array<std::pair<std::string_view, std::string>, 21> TokenTable(const platform::LocalTime& now) {
  // Weeks counted as strftime's %U (first Sunday starts week 1) and %W (first Monday), plus one.
  const int weekFromSunday = (now.yearDay + 7 - now.weekday) / 7 + 1;
  const int weekFromMonday = (now.yearDay + 7 - (now.weekday + 6) % 7) / 7 + 1;
  const bool morning = now.hour < 12;
  return {{
      {"[MM]", Digits(now.month, 2)},
      {"[DD]", Digits(now.day, 2)},
      // "At least two digits" is the whole year: users' names rely on [YY] giving 2016.
      {"[YY]", Digits(now.year, 2)},
      {"[YYYY]", Digits(now.year, 4)},
      {"[M]", Digits(now.month, 1)},
      {"[D]", Digits(now.day, 1)},
      {"[hh]", Digits(now.hour, 2)},
      {"[mm]", Digits(now.minute, 2)},
      {"[ss]", Digits(now.second, 2)},
      {"[DW]", Digits(now.weekday + 1, 1)},
      {"[DY]", Digits(now.yearDay + 1, 3)},
      {"[DN]", CalendarName(now, "%A")},
      {"[ADN]", CalendarName(now, "%a")},
      {"[MN]", CalendarName(now, "%B")},
      {"[AMN]", CalendarName(now, "%b")},
      {"[AMPM]", morning ? "AM" : "PM"},
      {"[ampm]", morning ? "am" : "pm"},
      {"[WYS]", Digits(weekFromSunday, 2)},
      {"[WYM]", Digits(weekFromMonday, 2)},
      {"[WD]", Digits(now.weekday + 1, 1)},
      {"[DEX]", OrdinalSuffix(now.day)},
  }};
}

}  // namespace

// One left-to-right pass. Every token begins with "[" and ends at the first "]" after it, so two
// tokens can never overlap and the pass finds exactly the occurrences that replacing each token
// in table order would find; unlike repeated replacing, it never looks again at text it has
// already put in, so the output of one token cannot combine with the user's text into another.
std::string ExpandDateTokens(std::string_view name, const platform::LocalTime& now) {
  const auto table = TokenTable(now);
  std::string result;
  result.reserve(name.size());
  std::size_t pos{0};
  while (pos < name.size()) {
    bool replaced{false};
    if (name[pos] == '[') {
      for (const auto& [token, value] : table) {
        if (name.substr(pos, token.size()) == token) {
          result += value;
          pos += token.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) {
      result += name[pos];
      ++pos;
    }
  }
  return result;
}

}  // namespace vellumor::convert
