#include "net/socks_block_socket_wire.h"

#include <array>

#include "net/codec.h"
#include "net/ip_text.h"

namespace ov {
namespace {

constexpr std::size_t kMaxCountedLength = 255;

std::string LengthPrefixed(std::string_view text) {
  std::string out(1, static_cast<char>(text.size()));
  out.append(text);
  return out;
}

std::string DottedQuad(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i < 4; ++i) {
    if (i > 0) out += '.';
    out += std::to_string(static_cast<unsigned char>(bytes[i]));
  }
  return out;
}

std::string PortText(std::string_view two_bytes) {
  const auto high = static_cast<unsigned char>(two_bytes[0]);
  const auto low = static_cast<unsigned char>(two_bytes[1]);
  return std::to_string(high * 256 + low);
}

std::optional<std::string> EncodeSocks5(std::string_view ip, std::uint16_t port) {
  std::string out;
  if (IsIP4Text(ip)) {
    out = "\x01" + IP4ToBytes(ip);
  } else if (IsIP6Text(ip)) {
    const TIP6Address bytes = IP6TextToBytes(ip);
    out = "\x04";
    out.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  } else {
    if (ip.size() > kMaxCountedLength) return std::nullopt;
    out = "\x03" + LengthPrefixed(ip);
  }
  return out + PackWordBE(port);
}

std::string EncodeSocks4(std::string_view ip, std::uint16_t port, std::string_view user) {
  const bool literal = IsIP4Text(ip);
  std::string out = PackWordBE(port);
  out += literal ? IP4ToBytes(ip) : std::string("\x00\x00\x00\x01", 4);
  out.append(user);
  out += '\0';
  if (!literal) {
    out.append(ip);
    out += '\0';
  }
  return out;
}

SocksReplyAddress DecodeSocks5(std::string_view reply) {
  SocksReplyAddress out{"", "0"};
  if (reply.size() < 4) return out;
  switch (static_cast<unsigned char>(reply[3])) {
    case 0x01:
      if (reply.size() >= 10) out = {DottedQuad(reply.substr(4, 4)), PortText(reply.substr(8, 2))};
      break;
    case 0x03: {
      if (reply.size() < 5) break;
      const std::size_t n = static_cast<unsigned char>(reply[4]);
      if (reply.size() >= n + 7) {
        out = {std::string(reply.substr(5, n)), PortText(reply.substr(5 + n, 2))};
      }
      break;
    }
    case 0x04:
      if (reply.size() >= 22) {
        TIP6Address bytes{};
        for (std::size_t i = 0; i < bytes.size(); ++i) {
          bytes[i] = static_cast<std::uint8_t>(reply[4 + i]);
        }
        out = {IP6BytesToText(bytes), PortText(reply.substr(20, 2))};
      }
      break;
    default:
      break;
  }
  return out;
}

}  // namespace

std::string SocksGreeting(bool with_credentials) {
  return with_credentials ? std::string("\x05\x02\x02\x00", 4) : std::string("\x05\x01\x00", 3);
}

std::optional<std::string> SocksUserPassRequest(std::string_view user, std::string_view password) {
  if (user.size() > kMaxCountedLength || password.size() > kMaxCountedLength) return std::nullopt;
  return "\x01" + LengthPrefixed(user) + LengthPrefixed(password);
}

std::optional<std::string> SocksEncodeAddressBytes(TSocksType type, std::string_view ip,
                                                   std::uint16_t port, std::string_view user) {
  if (type == TSocksType::ST_Socks4) return EncodeSocks4(ip, port, user);
  return EncodeSocks5(ip, port);
}

SocksReplyAddress SocksDecodeAddressBytes(TSocksType type, std::string_view reply) {
  if (type == TSocksType::ST_Socks5) return DecodeSocks5(reply);
  if (reply.size() < 8) return {"", "0"};
  return {DottedQuad(reply.substr(4, 4)), PortText(reply.substr(2, 2))};
}

}  // namespace ov
