// IPv4 and IPv6 address texts: validity checks and conversions to and from address bytes.
// Pure functions; unusable input gives false, the empty text or the all-zero address.
#pragma once

#include <string>
#include <string_view>

#include "net/socket_binding.h"

namespace ov {

// Dotted-decimal IPv4 text (spaces around fields are trimmed, leading zeros allowed).
bool IsIP4Text(std::string_view text);
// IPv6 text with at most one "::", at most eight groups and an optional hexadecimal zone.
bool IsIP6Text(std::string_view text);
// The four decimal fields as a 4-byte string (unchecked: pass only IsIP4Text texts).
std::string IP4ToBytes(std::string_view text);
// IPv6 text with its "::" replaced by zero groups; empty when the text has more than 7 colons.
std::string ExpandIP6Text(std::string_view text);
// IPv6 text to 16 bytes; all zero when the text is not usable.
TIP6Address IP6TextToBytes(std::string_view text);
// Compressed lower-case text of 16 IPv6 bytes (the all-zero address gives "::0").
std::string IP6BytesToText(const TIP6Address& address);

}  // namespace ov
