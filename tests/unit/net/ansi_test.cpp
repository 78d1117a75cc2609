#include "net/ansi.h"

#include <gtest/gtest.h>

#include <string>

namespace ov {
namespace {

// These expectations hold for the Western code page (1252), the one these builds run with.
TEST(Ansi, RoundTripsWesternText) {
  const std::pair<std::string, std::string> cases[] = {
      {"execut\xC3\xA1vel", "execut\xE1vel"},                // executável
      {"Configura\xC3\xA7\xC3\xA3o", "Configura\xE7\xE3o"},  // Configuração
      {"\xE2\x82\xAC 10", "\x80 10"},                        // € 10
      {"\xE2\x80\x9C"
       "aspas\xE2\x80\x9D",
       "\x93"
       "aspas\x94"},                     // “aspas”
      {"\xC5\xB8\xC3\xBF", "\x9F\xFF"},  // Ÿÿ
      {"plain ASCII\r\n", "plain ASCII\r\n"},
      {"", ""},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& [utf8, ansi] : cases) {
    EXPECT_EQ(Utf8ToAnsi(utf8), ansi) << utf8;
    EXPECT_EQ(AnsiToUtf8(ansi), utf8) << utf8;
  }
}

TEST(Ansi, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
}

TEST(Ansi, UnmappableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToAnsi("\xE4\xB8\xAD\xE6\x96\x87"), "??");  // 中文
  EXPECT_EQ(Utf8ToAnsi("a\xC4\x81z"), "a?z");               // ā has no best-fit guess
  EXPECT_EQ(Utf8ToAnsi("\xF0\x9F\x98\x80"), "?");           // one character beyond U+FFFF
  EXPECT_EQ(Utf8ToAnsi("x\xFFy"), "x?y");                   // broken UTF-8
}

}  // namespace
}  // namespace ov
