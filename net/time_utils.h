// Month names, clock-time parsing and the millisecond tick counter.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace ov {

// Fills the month-name tables from the user's locale. Idempotent; also done lazily on first
// use, so callers need not call it.
void InitMonthTables();

// Month number 1..12 whose abbreviation (the locale's, English, French, German, ...) equals
// `value` after locale upper-casing; the whole text must match. 0 = none.
int MonthFromName(std::string_view value);

// True when `upper_value` (already upper-cased) equals the upper-cased abbreviation of
// `month` (1..12) in one of the fixed rows or the locale's row.
bool MonthNameMatches(std::string_view upper_value, int month);

// Replaces the second list of month names (the locale's short names) with `names`.
void SetLocaleMonthNames(const std::array<std::string, 12>& names);

// Clock time "h:mm[:ss]" (separator and AM/PM designators of the locale) as a fraction of a
// day; anything after the seconds (".789", " PM") is cut off first. -1.0 when not a valid time.
double TimeFromText(std::string_view value);

// Milliseconds from a monotonic high-resolution clock, wrapping at 2^32.
std::uint32_t MillisecondTick();

// Milliseconds from `old_tick` to `new_tick`, allowing for a wrap of the counter; a tick
// that went backwards within the same half of the range gives the magnitude.
std::uint32_t TickDifference(std::uint32_t old_tick, std::uint32_t new_tick);

// Locale-aware upper case of UTF-8 text.
std::string UpperCaseLocale(std::string_view utf8);

}  // namespace ov
