#include "net/ip_text.h"

#include <gtest/gtest.h>

#include <string>

namespace ov {
namespace {

TIP6Address Bytes(std::initializer_list<int> leading, std::initializer_list<int> trailing = {}) {
  TIP6Address address{};
  std::size_t i = 0;
  for (int b : leading) address[i++] = static_cast<std::uint8_t>(b);
  i = address.size() - trailing.size();
  for (int b : trailing) address[i++] = static_cast<std::uint8_t>(b);
  return address;
}

TIP6Address Groups(const std::uint16_t (&groups)[8]) {
  TIP6Address address{};
  for (int i = 0; i < 8; ++i) {
    address[2 * i] = static_cast<std::uint8_t>(groups[i] >> 8);
    address[2 * i + 1] = static_cast<std::uint8_t>(groups[i] & 0xFF);
  }
  return address;
}

TEST(IpText, IsIP4Text) {
  const struct {
    const char* text;
    bool valid;
  } cases[] = {
      {"192.168.0.1", true}, {"010.000.000.001", true},
      {"  1.2.3.4  ", true}, {"1 . 2 . 3 . 4", true},
      {"0.0.0.0", true},     {"255.255.255.255", true},
      {"1.2.3", false},      {"1.2.3.4.5", false},
      {"256.1.1.1", false},  {"1..2.3", false},
      {"1.2.3.+4", false},   {"0x1.2.3.4", false},
      {"1.2.3.-0", false},   {"", false},
      {"a.b.c.d", false},    {"1.2.3.4 x", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsIP4Text(c.text), c.valid) << "\"" << c.text << "\"";
}

TEST(IpText, IsIP6Text) {
  const struct {
    const char* text;
    bool valid;
  } cases[] = {
      {"::", true},
      {"::1", true},
      {"1::2", true},
      {"fe80::1%12", true},
      {"FE80::ABCD%a", true},
      {"1:2:3:4:5:6:7:8", true},
      {":1:2", true},
      {"0001:00:0::ffff", true},
      {"1234", false},
      {"1::", false},
      {"1:2:3:4:5:6:7::", false},
      {"1::2::3", false},
      {"fe80::1%eth0", false},
      {"::ffff:1.2.3.4", false},
      {"1:2:3:4:5:6:7:8:9", false},
      {"::1:2:3:4:5:6:7", false},
      {"12345::1", false},
      {"", false},
      {"g::1", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsIP6Text(c.text), c.valid) << "\"" << c.text << "\"";
}

TEST(IpText, IP4ToBytes) {
  EXPECT_EQ(IP4ToBytes("192.168.0.1"), std::string("\xC0\xA8\x00\x01", 4));
  EXPECT_EQ(IP4ToBytes("010.000.000.255"), std::string("\x0A\x00\x00\xFF", 4));
}

TEST(IpText, ExpandIP6Text) {
  const struct {
    const char* text;
    const char* expanded;
  } cases[] = {
      {"::1", "0:0:0:0:0:0:0:1"},
      {"1::", "1:0:0:0:0:0:0:0"},
      {"::", "0:0:0:0:0:0:0:0"},
      {"1::2", "1:0:0:0:0:0:0:2"},
      {"1:2", "1:2"},
      {"", ""},
      {"1:2:3:4:5:6:7:8:9", ""},
      {"::1:2:3:4:5:6:7", ""},
      {"1:2:3::7:8", "1:2:3:0:0:0:7:8"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ExpandIP6Text(c.text), c.expanded) << "\"" << c.text << "\"";
}

TEST(IpText, IP6TextToBytes) {
  const struct {
    const char* text;
    TIP6Address bytes;
  } cases[] = {
      {"::1", Bytes({}, {0x01})},
      {"1:2", Bytes({0, 1, 0, 2})},
      {"fe80::1%3", Bytes({})},
      {"1:@", Bytes({0, 1})},
      {"1:@:5", Bytes({0, 1})},
      {"2001:DB8::ff00:42", Groups({0x2001, 0xdb8, 0, 0, 0, 0, 0xff00, 0x42})},
      {"12345::1", Bytes({})},
      {"x::1", Bytes({})},
      {"", Bytes({})},
  };
  for (const auto& c : cases) EXPECT_EQ(IP6TextToBytes(c.text), c.bytes) << "\"" << c.text << "\"";
}

TEST(IpText, IP6BytesToText) {
  const struct {
    TIP6Address bytes;
    const char* text;
  } cases[] = {
      {Bytes({}), "::0"},
      {Bytes({}, {1}), "::1"},
      {Groups({1, 0, 0, 0, 0, 0, 0, 0}), "1::"},
      {Groups({0xFE80, 0, 0, 0, 0, 0, 0, 1}), "fe80::1"},
      {Groups({0x2001, 0xDB8, 0, 0, 1, 0, 0, 1}), "2001:db8::1:0:0:1"},
      {Groups({1, 0, 2, 3, 4, 5, 6, 7}), "1::2:3:4:5:6:7"},
      {Groups({0, 1, 0, 1, 0, 0, 1, 1}), "0:1:0:1::1:1"},
      {Groups({1, 2, 3, 4, 5, 6, 7, 8}), "1:2:3:4:5:6:7:8"},
      {Groups({0xABCD, 0xEF01, 0x10, 0x100, 0x1000, 0xFFFF, 9, 0xA}),
       "abcd:ef01:10:100:1000:ffff:9:a"},
  };
  for (const auto& c : cases) EXPECT_EQ(IP6BytesToText(c.bytes), c.text) << c.text;
}

TEST(IpText, CompressedTextReadsBackToTheSameBytes) {
  const TIP6Address samples[] = {
      Groups({0x2001, 0xDB8, 0, 0, 1, 0, 0, 1}), Groups({0xFE80, 0, 0, 0, 0, 0, 0, 1}),
      Groups({1, 0, 0, 0, 0, 0, 0, 0}),          Groups({0, 1, 0, 1, 0, 0, 1, 1}),
      Groups({1, 2, 3, 4, 5, 6, 7, 8}),
  };
  for (const TIP6Address& bytes : samples) {
    const std::string text = IP6BytesToText(bytes);
    EXPECT_EQ(IP6TextToBytes(text), bytes) << text;
  }
}

}  // namespace
}  // namespace ov
