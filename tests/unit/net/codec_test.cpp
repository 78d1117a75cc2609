#include "net/codec.h"

#include <gtest/gtest.h>

#include <string>

namespace ov {
namespace {

TEST(Codec, PacksBigEndian) {
  EXPECT_EQ(PackWordBE(0x0102), std::string("\x01\x02", 2));
  EXPECT_EQ(PackWordBE(0xFF00), std::string("\xFF\x00", 2));
  EXPECT_EQ(PackLongBE(0x11223344u), "\x11\x22\x33\x44");
  EXPECT_EQ(PackLongBE(0x80000001u), std::string("\x80\x00\x00\x01", 4));
  EXPECT_EQ(SwapLongBytes(0x11223344u), 0x44332211u);
  EXPECT_EQ(SwapLongBytes(0xFF000080u), 0x800000FFu);
}

TEST(Codec, UnpacksWordAtOneBasedIndex) {
  const std::string bytes("\x01\x02\x03", 3);
  EXPECT_EQ(UnpackWordBE(bytes, 1), 0x0102);
  EXPECT_EQ(UnpackWordBE(bytes, 2), 0x0203);
  EXPECT_EQ(UnpackWordBE(bytes, 3), 0);  // only one byte left
  EXPECT_EQ(UnpackWordBE(bytes, 0), 0);
  EXPECT_EQ(UnpackWordBE(bytes, -5), 0);
  EXPECT_EQ(UnpackWordBE("", 1), 0);
  EXPECT_EQ(UnpackWordBE("\xFF\xFE", 1), 0xFFFE);
  EXPECT_EQ(UnpackWordBE(PackWordBE(0xBEEF), 1), 0xBEEF);
}

TEST(Codec, DecodesEscapes) {
  struct Case {
    std::string in;
    char delim;
    std::string out;
  };
  const Case cases[] = {
      {"a%41%4", '%', "aA"},  // an incomplete escape ends the text
      {"%zz1", '%', "%zz1"},
      {"%", '%', ""},
      {"a%4", '%', "a"},
      {"%41%", '%', "A"},
      {"%e9t%C3%A9", '%', "\xE9t\xC3\xA9"},
      {"%%41", '%', "%A"},
      {"a+b%20c", '%', "a+b c"},  // "+" is no space
      {"%00", '%', std::string(1, '\0')},
      {"%4g", '%', "%4g"},
      {"a=\r\nb", '=', "ab"},  // soft line breaks
      {"a=\n\rb", '=', "ab"},
      {"a=\nb", '=', "ab"},
      {"a=\rb", '=', "ab"},
      {"a=\r\n", '=', "a"},
      {"a=3D=3d", '=', "a=="},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeEscapes(c.in, c.delim), c.out) << c.in;
  EXPECT_EQ(DecodePercentEscapes("a%41%4"), "aA");
  EXPECT_EQ(DecodePercentEscapes("x=%3D"), "x==");
}

TEST(Codec, Base64MatchesTheStandardVectors) {
  const std::pair<std::string, std::string> vectors[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
      {std::string("\x00\xFF\xFE\x3F", 4), "AP/+Pw=="},
      {"Aladdin:open sesame", "QWxhZGRpbjpvcGVuIHNlc2FtZQ=="},
  };
  for (const auto& [in, out] : vectors) EXPECT_EQ(ToBase64(in), out) << in;
  const std::string long_input(1000, 'x');
  const std::string encoded = ToBase64(long_input);
  EXPECT_EQ(encoded.size(), 1336u);
  EXPECT_EQ(encoded.find_first_of("\r\n"), std::string::npos);
}

TEST(Codec, EncodesWithAnyTable) {
  // URL-safe alphabet with "." as the pad symbol.
  const std::string url_safe = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.";
  EXPECT_EQ(EncodeWithTable(std::string("\xFB\xFF", 2), url_safe), "-_8.");
  // A table without the pad symbol writes no padding.
  EXPECT_EQ(EncodeWithTable("f", url_safe.substr(0, 64)), "Zg");
  // A short table drops every index beyond it.
  EXPECT_EQ(EncodeWithTable("foo", "ABCDEFGHIJKLMNOPQRSTUVWXYZ"), "Z");
  EXPECT_EQ(EncodeWithTable("\x04", "ABCDEFGHIJKLMNOPQRSTUVWXYZ"), "BA");
}

}  // namespace
}  // namespace ov
