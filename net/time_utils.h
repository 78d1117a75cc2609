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

// Month number 1..12 whose name (in any known language) starts `value`; 0 = none.
int MonthFromName(std::string_view value);

// True when upper-cased `upper_value` starts with one of the names of `month` (1..12).
bool MonthNameMatches(std::string_view upper_value, int month);

// Replaces the second list of month names (the locale's short names) with `names`.
void SetLocaleMonthNames(const std::array<std::string, 12>& names);

// Clock time in the locale's format as a fraction of a day; -1.0 when it is not a valid time.
double TimeFromText(std::string_view value);

// Milliseconds from a monotonic high-resolution clock, wrapping at 2^32.
std::uint32_t MillisecondTick();

// Milliseconds from `old_tick` to `new_tick`, allowing for one wrap of the counter.
std::uint32_t TickDifference(std::uint32_t old_tick, std::uint32_t new_tick);

// Locale-aware upper case of UTF-8 text.
std::string UpperCaseLocale(std::string_view utf8);

}  // namespace ov
