#include "net/time_utils.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "net/locale_info.h"

namespace ov {
namespace {

double Day(int h, int m, int s) { return (h * 3600 + m * 60 + s) / 86400.0; }

TEST(TickDifference, HandlesWrapAndBackwardSteps) {
  struct Case {
    std::uint32_t old_tick, new_tick, expected;
  };
  const Case cases[] = {
      {4294967280u, 16u, 32u},                  // wrapped past 2^32
      {256u, 80u, 176u},                        // went backwards: the magnitude
      {0x90000000u, 0x10000000u, 0x80000000u},  // half the range apart: taken as a wrap
      {0xFFFFFFFFu, 0u, 1u},
      {0x80000000u, 0x7FFFFFFFu, 0xFFFFFFFFu},  // one back across the middle reads as a wrap
      {5u, 5u, 0u},
      {0u, 0u, 0u},
      {10u, 1010u, 1000u},
      {0u, 0xFFFFFFFFu, 0xFFFFFFFFu},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TickDifference(c.old_tick, c.new_tick), c.expected)
        << c.old_tick << " -> " << c.new_tick;
  }
}

TEST(MillisecondTick, AdvancesWithTheClock) {
  const std::uint32_t before = MillisecondTick();
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  const std::uint32_t elapsed = TickDifference(before, MillisecondTick());
  EXPECT_GE(elapsed, 50u);
  EXPECT_LT(elapsed, 5000u);
}

TEST(MonthNames, WholeAbbreviationsInAnyKnownLanguage) {
  struct Case {
    std::string name;
    int month;
  };
  const Case cases[] = {
      {"Jan", 1},
      {"JAN", 1},
      {"jan", 1},
      {"Okt", 10},
      {"OKT", 10},
      {"M\xC3\xA4r", 3},  // Mär
      {"M\xC3\x84R", 3},  // MÄR
      {"f\xC3\xA9v", 2},
      {"F\xC3\x89V", 2},  // fév, FÉV
      {"ao\xC3\xBB", 8},  // aoû
      {"D\xC3\x89"
       "C",
       12},  // DÉC
      {"dez", 12},
      {"Mai", 5},
      {"avr", 4},
      {"Aou", 8},
      {"Kv\xC3\xAC", 5},          // Kvì
      {"\xC3\x98\xC3\x8DJ", 10},  // ØÍJ
      {"Z\xC3\xA1\xC3\xB8", 9},   // Záø
      {"Sept", 0},
      {"Ja", 0},
      {"Janu", 0},
      {" Jan", 0},
      {"Jan ", 0},
      {"", 0},
      {"Zaz", 0},
      {"Mar\xC3\xA4", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(MonthFromName(c.name), c.month) << c.name;
}

TEST(MonthNames, MatchesUpperCasedText) {
  EXPECT_TRUE(MonthNameMatches("OKT", 10));
  EXPECT_TRUE(
      MonthNameMatches("B\xC3\x98"
                       "E",
                       3));  // BØE
  EXPECT_FALSE(MonthNameMatches("OKT", 11));
  EXPECT_FALSE(MonthNameMatches("Okt", 10));  // the caller upper-cases
  EXPECT_FALSE(MonthNameMatches("JAN", 0));
  EXPECT_FALSE(MonthNameMatches("JAN", 13));
}

TEST(MonthNames, ReplacedLocaleNamesAreUsed) {
  EXPECT_EQ(MonthFromName("set"), 0);
  SetLocaleMonthNames(
      {"jan", "fev", "mar", "abr", "mai", "jun", "jul", "ago", "set", "out", "nov", "dez"});
  EXPECT_EQ(MonthFromName("Set"), 9);
  EXPECT_EQ(MonthFromName("OUT"), 10);
  EXPECT_EQ(MonthFromName("ago"), 8);
  EXPECT_EQ(MonthFromName("Okt"), 10);  // the fixed rows stay
  SetLocaleMonthNames(
      {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"});
  EXPECT_EQ(MonthFromName("set"), 0);
}

TEST(MonthNames, TheLocaleNamesFindTheirMonths) {
  const LocaleTimeInfo info = ReadUserLocaleTimeInfo();
  for (int m = 0; m < 12; ++m) {
    ASSERT_FALSE(info.short_months[m].empty()) << m;
    EXPECT_EQ(MonthFromName(info.short_months[m]), m + 1) << info.short_months[m];
  }
  EXPECT_FALSE(info.time_separator.empty());
}

TEST(UpperCaseLocale, UpperCasesUnicodeLetters) {
  EXPECT_EQ(UpperCaseLocale("abc xyz"), "ABC XYZ");
  EXPECT_EQ(UpperCaseLocale("d\xC3\xA9"
                            "c \xC3\xA6\xC3\xB8\xC3\xA5"),
            "D\xC3\x89"
            "C \xC3\x86\xC3\x98\xC3\x85");
  EXPECT_EQ(UpperCaseLocale("\xD0\xB0\xD0\xB1"), "\xD0\x90\xD0\x91");  // Cyrillic аб
  EXPECT_EQ(UpperCaseLocale("1:2 -_"), "1:2 -_");
  EXPECT_EQ(UpperCaseLocale(""), "");
}

TEST(TimeFromText, ReadsHoursMinutesAndSeconds) {
  struct Case {
    std::string text;
    double expected;
  };
  const Case cases[] = {
      {"12:34:56.789", Day(12, 34, 56)},  // cut after the seconds
      {"12:34:56", Day(12, 34, 56)},
      {"12:34", Day(12, 34, 0)},
      {"12:34 PM", Day(12, 34, 0)},  // cut after the minutes as well
      {"1:2", Day(1, 2, 0)},
      {"0:00", 0.0},
      {"23:59:59", Day(23, 59, 59)},
      {"  7:05", Day(7, 5, 0)},
      {"24:00", -1.0},
      {"12:60", -1.0},
      {"12:34:60", -1.0},
      {"12", -1.0},
      {"12:", -1.0},
      {":30", -1.0},
      {"ab:cd", -1.0},
      {"", -1.0},
      {"2024", -1.0},
      {"12:34:5x", -1.0},
      {"-1:30", -1.0},
      {"123:45", -1.0},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(TimeFromText(c.text), c.expected) << c.text;
}

TEST(TimeFromText, FollowsTheLocaleSeparatorAndDesignators) {
  LocaleTimeInfo dotted;
  dotted.time_separator = ".";
  EXPECT_DOUBLE_EQ(ParseLocaleTime("14.05.09", dotted), Day(14, 5, 9));
  EXPECT_DOUBLE_EQ(ParseLocaleTime("14:05", dotted), -1.0);
  EXPECT_DOUBLE_EQ(ParseLocaleTime("2.05 PM", dotted), -1.0);  // this locale has no designators

  LocaleTimeInfo twelve;
  twelve.twelve_hour = true;
  twelve.am = "a.m.";
  twelve.pm = "p.m.";
  const std::pair<std::string, double> cases[] = {
      {"2:05 p.m.", Day(14, 5, 0)},
      {"2:05 P.M.", Day(14, 5, 0)},
      {"12:00 a.m.", 0.0},
      {"12:30 p.m.", Day(12, 30, 0)},
      {"p.m. 1:00:01", Day(13, 0, 1)},
      {"11:59 a.m.", Day(11, 59, 0)},
      {"13:05", Day(13, 5, 0)},  // no designator: a 24-hour time
      {"13:05 p.m.", -1.0},
      {"p.m.", -1.0},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_DOUBLE_EQ(ParseLocaleTime(text, twelve), expected) << text;
  }
}

}  // namespace
}  // namespace ov
