// Byte layouts of the SOCKS 4, 4a and 5 client messages and replies. Pure functions over bytes:
// texts come in already converted to the single-byte code page, numbers in host order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ov {

// SOCKS version spoken to the proxy (SOCKS 4 also covers 4a).
enum class TSocksType : std::uint8_t { ST_Socks5 = 0, ST_Socks4 = 1 };

// SOCKS 5 greeting: 05 01 00 without credentials, 05 02 02 00 with them.
std::string SocksGreeting(bool with_credentials);

// SOCKS 5 user name and password sub-negotiation: 01, length, user, length, password.
// Empty when either text is longer than 255 bytes (its length byte could not say so).
std::optional<std::string> SocksUserPassRequest(std::string_view user, std::string_view password);

// Address and port part of a request. SOCKS 5: type 01/04/03, the address, the port high byte
// first. SOCKS 4: the port, the IPv4 octets or 00 00 00 01, the user id and 00, then for a name
// (4a) the host and 00. Empty when a SOCKS 5 host name is longer than 255 bytes.
std::optional<std::string> SocksEncodeAddressBytes(TSocksType type, std::string_view ip,
                                                   std::uint16_t port, std::string_view user);

// Address and port text read from a complete reply (header, address, port); the address stays
// empty and the port "0" when the reply is too short or of an unknown address type.
struct SocksReplyAddress {
  std::string ip;    // SOCKS 5 names come back as the proxy sent their bytes
  std::string port;  // decimal
};
SocksReplyAddress SocksDecodeAddressBytes(TSocksType type, std::string_view reply);

}  // namespace ov
