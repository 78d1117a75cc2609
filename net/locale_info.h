// What the month-name and time functions need from the user's locale, read through the
// platform's locale services (one implementation per platform).
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace ov {

struct LocaleTimeInfo {
  std::array<std::string, 12> short_months;  // UTF-8, January first
  std::string time_separator = ":";
  bool twelve_hour = false;  // the time format shows AM/PM designators
  std::string am = "AM";
  std::string pm = "PM";
};

// The user's locale as it is now (LC_TIME / the user default locale).
LocaleTimeInfo ReadUserLocaleTimeInfo();

// A time of day "h<sep>mm[<sep>ss]" by the rules of `locale` (with an AM/PM designator before
// or after it where the locale uses them) as a fraction of a day; -1.0 when it is none.
double ParseLocaleTime(std::string_view text, const LocaleTimeInfo& locale);

// Upper case of UTF-8 text by the user's locale rules.
std::string UpperCaseByUserLocale(std::string_view utf8);

}  // namespace ov
