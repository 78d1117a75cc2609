#include "net/unicode.h"

#include <gtest/gtest.h>

#include <string>

namespace ov {
namespace {

TEST(Unicode, WidensAndNarrowsEveryPlane) {
  const std::string samples[] = {
      "",
      "abc",
      "execut\xC3\xA1vel",
      "\xE2\x82\xAC",
      "\xE4\xB8\xAD\xE6\x96\x87",
      "\xF0\x9F\x98\x80 smile",
      "\xF4\x8F\xBF\xBF",
      std::string("a\0b", 3),
  };
  for (const std::string& s : samples) EXPECT_EQ(Narrow(Widen(s)), s) << s;
  EXPECT_EQ(Widen("a\xC3\xA1\xE2\x82\xAC"), std::wstring(L"a\u00E1\u20AC"));
  const std::wstring emoji = Widen("\xF0\x9F\x98\x80");
  if constexpr (sizeof(wchar_t) == 2) {
    EXPECT_EQ(emoji, std::wstring({wchar_t(0xD83D), wchar_t(0xDE00)}));
  } else {
    EXPECT_EQ(emoji, std::wstring(1, wchar_t(0x1F600)));
  }
}

TEST(Unicode, InvalidUtf8BecomesReplacementCharacters) {
  const std::pair<std::string, std::wstring> cases[] = {
      {"a\xFF"
       "b",
       L"a\uFFFDb"},
      {"\xC3", L"\uFFFD"},  // cut short at the end
      {"\xE2\x82"
       "A",
       L"\uFFFDA"},                   // cut short before a plain letter
      {"\xC0\xAF", L"\uFFFD\uFFFD"},  // overlong forms are refused
      {"\xE0\x80\xAF", L"\uFFFD"},
      {"\xED\xA0\x80", L"\uFFFD"},      // an encoded surrogate
      {"\xF4\x90\x80\x80", L"\uFFFD"},  // beyond U+10FFFF
      {"\x80\x80", L"\uFFFD\uFFFD"},    // stray continuation bytes
  };
  for (const auto& [bytes, wide] : cases) EXPECT_EQ(Widen(bytes), wide) << bytes;
}

TEST(Unicode, UnpairedSurrogatesNarrowToReplacementCharacters) {
  const std::wstring lone_high = {wchar_t(0xD800), L'x'};
  const std::wstring lone_low = {wchar_t(0xDC00)};
  EXPECT_EQ(Narrow(lone_high), "\xEF\xBF\xBDx");
  EXPECT_EQ(Narrow(lone_low), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace ov
