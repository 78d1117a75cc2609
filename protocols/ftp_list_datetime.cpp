#include "protocols/ftp_list_datetime.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "net/text_to_int.h"

namespace ov {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days from 1970-01-01 to a civil date (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

ListDateTime CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  ListDateTime out;
  out.Day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  out.Month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  out.Year = static_cast<int>(yoe + era * 400 + (out.Month <= 2 ? 1 : 0));
  return out;
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::optional<double> EncodeListDateTime(const ListDateTime& v) {
  if (v.Year < 1 || v.Year > 9999 || v.Day < 1 || v.Day > DaysInMonth(v.Year, v.Month)) {
    return std::nullopt;
  }
  if (v.Hour < 0 || v.Hour > 23 || v.Minute < 0 || v.Minute > 59 || v.Second < 0 || v.Second > 59) {
    return std::nullopt;
  }
  const double days = static_cast<double>(DaysFromCivil(v.Year, v.Month, v.Day)) + kUnixEpochDay;
  const double time = (v.Hour * 3600.0 + v.Minute * 60.0 + v.Second) / kSecondsPerDay;
  return days >= 0 ? days + time : days - time;
}

ListDateTime DecodeListDateTime(double value) {
  const double magnitude = std::fabs(value);
  std::int64_t whole_days = static_cast<std::int64_t>(std::floor(magnitude));
  std::int64_t seconds =
      std::llround((magnitude - static_cast<double>(whole_days)) * kSecondsPerDay);
  if (seconds >= kSecondsPerDay) {  // rounding reached the next midnight
    seconds -= kSecondsPerDay;
    whole_days += value < 0 ? -1 : 1;  // negative values count their days towards zero
  }
  const std::int64_t day = value < 0 ? -whole_days : whole_days;
  ListDateTime out = CivilFromDays(day - static_cast<std::int64_t>(kUnixEpochDay));
  out.Hour = static_cast<int>(seconds / 3600);
  out.Minute = static_cast<int>(seconds / 60 % 60);
  out.Second = static_cast<int>(seconds % 60);
  return out;
}

std::string FormatListDateTime(double value) {
  const ListDateTime t = DecodeListDateTime(value);
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.Year, t.Month, t.Day, t.Hour,
                t.Minute, t.Second);
  return text;
}

std::optional<double> ParseListDateTime(std::string_view text) {
  // Fixed layout: digits at these places, the separators between them.
  static constexpr std::string_view kLayout = "0000-00-00 00:00:00";
  if (text.size() != kLayout.size()) return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kLayout[i] == '0' ? !digit : text[i] != kLayout[i]) return std::nullopt;
  }
  auto number = [&](std::size_t pos, std::size_t len) {
    return TextToIntDef(text.substr(pos, len), -1);
  };
  ListDateTime t;
  t.Year = number(0, 4);
  t.Month = number(5, 2);
  t.Day = number(8, 2);
  t.Hour = number(11, 2);
  t.Minute = number(14, 2);
  t.Second = number(17, 2);
  return EncodeListDateTime(t);
}

double LocalDateTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  ListDateTime v;
  v.Year = local.tm_year + 1900;
  v.Month = local.tm_mon + 1;
  v.Day = local.tm_mday;
  v.Hour = local.tm_hour;
  v.Minute = local.tm_min;
  v.Second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second stays in its minute
  return EncodeListDateTime(v).value_or(0.0);
}

}  // namespace ov
