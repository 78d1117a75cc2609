#include "ui/progress_format.h"

#include <gtest/gtest.h>

#include <limits>

namespace ov {
namespace {

const NumberSeparators kEnglish{",", "."};
const NumberSeparators kBrazilian{".", ","};

TEST(ProgressFormat, LineInEnglishAndBrazilianLocales) {
  EXPECT_EQ(FormatProgressLine(3072000, 1536000, 150, 10, kEnglish),
            "1,500 / 3,000 KB  -  150.00 KB/s  -  00:00:10");
  EXPECT_EQ(FormatProgressLine(3072000, 1536000, 150, 10, kBrazilian),
            "1.500 / 3.000 KB  -  150,00 KB/s  -  00:00:10");
}

TEST(ProgressFormat, SmallFiguresAndZeroSpeed) {
  EXPECT_EQ(FormatProgressLine(511, 100, 0, 0, kEnglish), "0 / 0 KB  -  0.00 KB/s  -  00:00:00");
  EXPECT_EQ(FormatProgressLine(2048, 512, 0.126, 1, kEnglish),
            "1 / 2 KB  -  0.13 KB/s  -  00:00:01");
}

TEST(ProgressFormat, DurationsUseOnlyTheSeconds) {
  EXPECT_EQ(FormatDuration(3725), "01:02:05");
  EXPECT_EQ(FormatDuration(65535), "18:12:15");
  EXPECT_EQ(FormatDuration(59), "00:00:59");
  EXPECT_EQ(FormatDuration(360000), "100:00:00");
}

TEST(ProgressFormat, GroupsEveryThreeDigitsWithAnySeparator) {
  struct Case {
    double value;
    std::string english, spaced;
  } cases[] = {
      {0, "0", "0"},
      {999.4, "999", "999"},
      {999.5, "1,000",
       "1\xC2\xA0"
       "000"},
      {2097151.99, "2,097,152",
       "2\xC2\xA0"
       "097\xC2\xA0"
       "152"},
      {1234567890123.0, "1,234,567,890,123",
       "1\xC2\xA0"
       "234\xC2\xA0"
       "567\xC2\xA0"
       "890\xC2\xA0"
       "123"},
      {-1500, "-1,500",
       "-1\xC2\xA0"
       "500"},
  };
  const NumberSeparators spaced{"\xC2\xA0", ","};
  for (const auto& c : cases) {
    EXPECT_EQ(FormatGroupedWhole(c.value, kEnglish), c.english) << c.value;
    EXPECT_EQ(FormatGroupedWhole(c.value, spaced), c.spaced) << c.value;
  }
}

TEST(ProgressFormat, SpeedWithTheLocaleDecimal) {
  EXPECT_EQ(FormatTwoDecimals(1234.5678, kEnglish), "1234.57");
  EXPECT_EQ(FormatTwoDecimals(1234.5678, kBrazilian), "1234,57");
  EXPECT_EQ(FormatTwoDecimals(std::numeric_limits<double>::quiet_NaN(), kEnglish), "0.00");
}

}  // namespace
}  // namespace ov
