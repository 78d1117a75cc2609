#include "net/text_to_int.h"

#include <gtest/gtest.h>

#include <string>

namespace ov {
namespace {

struct Case {
  std::string text;
  std::int32_t expected;  // -7 stands for "the default"
};

TEST(TextToInt, FollowsTheProgramWideRule) {
  const Case cases[] = {
      {"0", 0},          {"42", 42},          {"   42", 42},       {"+42", 42},
      {"-42", -42},      {"$1F", 31},         {"x1f", 31},        {"X1F", 31},
      {"0x10", 16},      {"0X10", 16},        {"-$10", -16},      {"007", 7},
      {"2147483647", 2147483647},             {"-2147483648", -2147483647 - 1},
      {"2147483648", -7}, {"-2147483649", -7}, {"$80000000", -7}, {"$7FFFFFFF", 2147483647},
      {"", -7},          {"   ", -7},          {"42 ", -7},        {"4 2", -7},
      {"$", -7},         {"0x", -7},          {"-", -7},          {"12a", -7},
      {"$G", -7},        {"\t1", -7},         {"+-1", -7},        {"99999999999999999999", -7},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TextToIntDef(c.text, -7), c.expected) << "text: \"" << c.text << "\"";
  }
}

TEST(TextToInt, TellsAbsentFromZero) {
  EXPECT_FALSE(TextToInt("zero").has_value());
  ASSERT_TRUE(TextToInt("0").has_value());
  EXPECT_EQ(*TextToInt("0"), 0);
}

}  // namespace
}  // namespace ov
