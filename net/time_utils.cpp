#include "net/time_utils.h"

#include <mutex>
#include <optional>

#include "net/locale_info.h"
#include "net/text_utils.h"

namespace ov {
namespace {

using MonthRow = std::array<std::string, 12>;

// Row 0 is replaced by the locale's names when the tables are filled.
const std::array<MonthRow, 7> kMonthRows = {{
    {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
    {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
    {"jan", "f\u00e9v", "mar", "avr", "mai", "jun", "jul", "ao\u00fb", "sep", "oct", "nov",
     "d\u00e9c"},
    {"jan", "fev", "mar", "avr", "mai", "jun", "jul", "aou", "sep", "oct", "nov", "dec"},
    {"Jan", "Feb", "Mar", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
    {"Jan", "Feb", "M\u00e4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
    {"Led", "\u00dano", "B\u00f8e", "Dub", "Kv\u00ec", "\u00c8en", "\u00c8ec", "Srp",
     "Z\u00e1\u00f8", "\u00d8\u00edj", "Lis", "Pro"},
}};

// The tables in upper case, as compared; the locale's own list may be replaced later.
struct MonthTables {
  std::array<MonthRow, 7> rows;
  MonthRow locale_names;
  LocaleTimeInfo locale;
};

MonthRow UpperRow(const MonthRow& row) {
  MonthRow upper;
  for (std::size_t m = 0; m < row.size(); ++m) upper[m] = UpperCaseByUserLocale(row[m]);
  return upper;
}

std::mutex& TablesMutex() {
  static std::mutex mutex;
  return mutex;
}

MonthTables& Tables() {
  static MonthTables tables;
  return tables;
}

MonthTables& FilledTables() {
  static std::once_flag once;
  std::call_once(once, [] {
    MonthTables& tables = Tables();
    tables.locale = ReadUserLocaleTimeInfo();
    for (std::size_t r = 0; r < kMonthRows.size(); ++r) tables.rows[r] = UpperRow(kMonthRows[r]);
    tables.rows[0] = UpperRow(tables.locale.short_months);
    tables.locale_names = tables.rows[0];
  });
  return Tables();
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One or two decimal digits.
std::optional<int> SmallNumber(std::string_view text) {
  if (text.empty() || text.size() > 2) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// Strips an AM or PM designator (either side, any case) from `text`; returns 12 for PM,
// 0 for AM and -1 when there is none.
int TakeDesignator(std::string& text, const LocaleTimeInfo& locale) {
  const std::string upper = UpperCaseByUserLocale(text);
  if (upper.size() != text.size()) return -1;  // cut positions must hold for both
  const std::string designators[2] = {UpperCaseByUserLocale(locale.am),
                                      UpperCaseByUserLocale(locale.pm)};
  for (int k = 0; k < 2; ++k) {
    const std::string& d = designators[k];
    if (d.empty() || upper.size() <= d.size()) continue;
    if (upper.starts_with(d)) {
      text = TrimSpaces(std::string_view(text).substr(d.size()));
      return k * 12;
    }
    if (upper.ends_with(d)) {
      text = TrimSpaces(std::string_view(text).substr(0, text.size() - d.size()));
      return k * 12;
    }
  }
  return -1;
}

}  // namespace

double ParseLocaleTime(std::string_view value, const LocaleTimeInfo& locale) {
  std::string text = TrimSpaces(value);
  const int half = locale.twelve_hour ? TakeDesignator(text, locale) : -1;
  const std::string& sep = locale.time_separator;
  const std::optional<int> hours = SmallNumber(CutToken(text, sep));
  const bool has_seconds = text.find(sep) != std::string::npos;
  const std::optional<int> minutes = SmallNumber(CutToken(text, sep));
  const std::optional<int> seconds = has_seconds ? SmallNumber(text) : std::optional<int>(0);
  if (!hours || !minutes || !seconds || *minutes > 59 || *seconds > 59) return -1.0;
  int h = *hours;
  if (half >= 0) {
    if (h > 12) return -1.0;
    h = h % 12 + half;
  } else if (h > 23) {
    return -1.0;
  }
  return (h * 3600 + *minutes * 60 + *seconds) / 86400.0;
}

void InitMonthTables() { FilledTables(); }

bool MonthNameMatches(std::string_view upper_value, int month) {
  if (month < 1 || month > 12) return false;
  MonthTables& tables = FilledTables();
  const std::lock_guard lock(TablesMutex());
  for (const MonthRow& row : tables.rows) {
    if (row[month - 1] == upper_value) return true;
  }
  return false;
}

int MonthFromName(std::string_view value) {
  const std::string upper = UpperCaseByUserLocale(value);
  MonthTables& tables = FilledTables();
  for (int m = 1; m <= 12; ++m) {
    if (MonthNameMatches(upper, m)) return m;
    const std::lock_guard lock(TablesMutex());
    if (tables.locale_names[m - 1] == upper) return m;
  }
  return 0;
}

void SetLocaleMonthNames(const std::array<std::string, 12>& names) {
  MonthTables& tables = FilledTables();
  MonthRow upper = UpperRow(names);
  const std::lock_guard lock(TablesMutex());
  tables.locale_names = std::move(upper);
}

double TimeFromText(std::string_view value) {
  std::string text(value);
  const int colon = LastPos(":", text);
  if (colon > 0 && text.size() - static_cast<std::size_t>(colon) > 2) text.resize(colon + 2);
  const LocaleTimeInfo& locale = FilledTables().locale;
  return ParseLocaleTime(ReplaceAll(text, ":", locale.time_separator), locale);
}

std::uint32_t TickDifference(std::uint32_t old_tick, std::uint32_t new_tick) {
  if (old_tick == new_tick) return 0;
  if (old_tick < new_tick) return new_tick - old_tick;
  const std::uint32_t old_shifted = old_tick + 0x80000000u;
  const std::uint32_t new_shifted = new_tick + 0x80000000u;
  if (old_shifted > new_shifted) return old_tick - new_tick;
  return new_tick - old_tick;
}

std::string UpperCaseLocale(std::string_view utf8) { return UpperCaseByUserLocale(utf8); }

}  // namespace ov
