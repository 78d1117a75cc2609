// Date-time values of directory listings: days since 1899-12-30 00:00 with the time of day as
// the fraction (1970-01-01 is day 25569). Dates before 1899-12-30 count negative days and add
// the time of day to the magnitude, so every value decodes back to one calendar date and time.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ov {

struct ListDateTime {
  int Year = 1899, Month = 12, Day = 30;
  int Hour = 0, Minute = 0, Second = 0;
};

// Days since 1970-01-01 (the Unix epoch) in the day count above.
inline constexpr double kUnixEpochDay = 25569.0;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// The value of a calendar date and time; none when the date does not exist (years 1 to 9999)
// or the time is outside 00:00:00 to 23:59:59.
std::optional<double> EncodeListDateTime(const ListDateTime& value);

// The calendar date and time of a value, rounded to the nearest second.
ListDateTime DecodeListDateTime(double value);

// "YYYY-MM-DD hh:mm:ss" of a value, and back (none when the text is not such a date).
std::string FormatListDateTime(double value);
std::optional<double> ParseListDateTime(std::string_view text);

// The computer's local date and time now.
double LocalDateTimeNow();

}  // namespace ov
