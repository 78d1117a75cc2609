// SOCKS message layouts byte for byte, and reply decoding including short and odd replies.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "net/socks_block_socket_wire.h"

namespace ov {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

struct EncodeCase {
  const char* name;
  TSocksType type;
  std::string ip;
  std::uint16_t port;
  std::string user;
  std::string expected;
};
void PrintTo(const EncodeCase& c, std::ostream* os) { *os << c.name; }

class SocksEncode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(SocksEncode, GivesTheExactBytes) {
  const EncodeCase& c = GetParam();
  const auto bytes = SocksEncodeAddressBytes(c.type, c.ip, c.port, c.user);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, SocksEncode,
    ::testing::Values(
        EncodeCase{"v5_ip4_high_octets", TSocksType::ST_Socks5, "10.0.0.130", 80, "",
                   Bytes({1, 10, 0, 0, 0x82, 0, 80})},
        EncodeCase{"v5_ip4_ff", TSocksType::ST_Socks5, "255.128.200.1", 0xFFFF, "",
                   Bytes({1, 255, 128, 200, 1, 0xFF, 0xFF})},
        EncodeCase{"v5_ip6", TSocksType::ST_Socks5, "::1", 443, "",
                   Bytes({4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0xBB})},
        EncodeCase{"v5_name", TSocksType::ST_Socks5, "host.example", 8080, "user",
                   Bytes({3, 12}) + "host.example" + Bytes({0x1F, 0x90})},
        EncodeCase{"v4_ip4_no_user", TSocksType::ST_Socks4, "192.168.1.2", 21, "",
                   Bytes({0, 21, 192, 168, 1, 2, 0})},
        EncodeCase{"v4a_name_with_user", TSocksType::ST_Socks4, "files.example", 80, "joe",
                   Bytes({0, 80, 0, 0, 0, 1}) + "joe" + Bytes({0}) + "files.example" + Bytes({0})},
        EncodeCase{"v4a_ip6_goes_as_name", TSocksType::ST_Socks4, "::1", 80, "",
                   Bytes({0, 80, 0, 0, 0, 1, 0}) + "::1" + Bytes({0})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SocksWire, GreetingsAndCredentials) {
  EXPECT_EQ(SocksGreeting(false), Bytes({5, 1, 0}));
  EXPECT_EQ(SocksGreeting(true), Bytes({5, 2, 2, 0}));
  EXPECT_EQ(SocksUserPassRequest("ana", "pw"), Bytes({1, 3}) + "ana" + Bytes({2}) + "pw");
  EXPECT_EQ(SocksUserPassRequest("", ""), Bytes({1, 0, 0}));
}

// A length byte can count at most 255: longer texts fail instead of being sent with a
// wrapped length that would desynchronise the proxy.
TEST(SocksWire, LengthBytesNeverWrap) {
  const std::string name255(255, 'a');
  const auto ok = SocksEncodeAddressBytes(TSocksType::ST_Socks5, name255, 80, "");
  ASSERT_TRUE(ok.has_value());
  EXPECT_EQ(static_cast<unsigned char>((*ok)[1]), 255u);
  EXPECT_EQ(ok->size(), 1 + 1 + 255 + 2u);

  EXPECT_FALSE(SocksEncodeAddressBytes(TSocksType::ST_Socks5, std::string(256, 'a'), 80, ""));
  EXPECT_FALSE(SocksEncodeAddressBytes(TSocksType::ST_Socks5, std::string(300, 'a'), 80, ""));
  EXPECT_FALSE(SocksUserPassRequest(std::string(256, 'u'), "p"));
  EXPECT_FALSE(SocksUserPassRequest("u", std::string(256, 'p')));
  ASSERT_TRUE(SocksUserPassRequest(std::string(255, 'u'), std::string(255, 'p')));
  // SOCKS 4a carries names NUL-terminated, with no length byte to overflow.
  EXPECT_TRUE(SocksEncodeAddressBytes(TSocksType::ST_Socks4, std::string(300, 'a'), 80, ""));
}

struct DecodeCase {
  const char* name;
  TSocksType type;
  std::string reply;
  std::string ip;
  std::string port;
};
void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

class SocksDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(SocksDecode, ReadsAddressAndPort) {
  const DecodeCase& c = GetParam();
  const SocksReplyAddress decoded = SocksDecodeAddressBytes(c.type, c.reply);
  EXPECT_EQ(decoded.ip, c.ip);
  EXPECT_EQ(decoded.port, c.port);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, SocksDecode,
    ::testing::Values(
        DecodeCase{"v5_ip4", TSocksType::ST_Socks5,
                   Bytes({5, 0, 0, 1, 0xC0, 0xA8, 1, 1, 0x1F, 0x90}), "192.168.1.1", "8080"},
        DecodeCase{"v5_name", TSocksType::ST_Socks5,
                   Bytes({5, 0, 0, 3, 5}) + "proxy" + Bytes({0, 21}), "proxy", "21"},
        DecodeCase{
            "v5_ip6", TSocksType::ST_Socks5,
            Bytes({5, 0, 0, 4, 0x20, 1, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 80}),
            "2001:db8::1", "80"},
        DecodeCase{"v5_ip4_short", TSocksType::ST_Socks5, Bytes({5, 0, 0, 1, 1, 2, 3, 4, 0}), "",
                   "0"},
        DecodeCase{"v5_name_short", TSocksType::ST_Socks5, Bytes({5, 0, 0, 3, 9}) + "abc", "", "0"},
        DecodeCase{"v5_name_no_length", TSocksType::ST_Socks5, Bytes({5, 0, 0, 3}), "", "0"},
        DecodeCase{"v5_unknown_type", TSocksType::ST_Socks5, Bytes({5, 0, 0, 9, 1, 2, 3, 4, 0, 1}),
                   "", "0"},
        DecodeCase{"v4", TSocksType::ST_Socks4, Bytes({0, 90, 0x04, 0x38, 10, 0, 0, 200}),
                   "10.0.0.200", "1080"},
        DecodeCase{"v4_short", TSocksType::ST_Socks4, Bytes({0, 90, 0, 80, 1, 2, 3}), "", "0"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ov
