// Byte packing and text encodings: big-endian integers, escapes, table encoding, Base64.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ov {

// Two bytes, most significant first.
std::string PackWordBE(std::uint16_t value);
// Big-endian 16-bit value from the two bytes at 1-based `index1`; 0 unless both exist.
std::uint16_t UnpackWordBE(std::string_view bytes, int index1);
// Four bytes, most significant first.
std::string PackLongBE(std::uint32_t value);
// The four bytes of `value` in reverse order.
std::uint32_t SwapLongBytes(std::uint32_t value);

// Replaces each `delim` followed by two hex digits with the byte they name; `delim` before a
// line break (CRLF, LFCR, CR or LF) is a soft break and vanishes with it; a `delim` with fewer
// than two bytes after it ends the text there; any other `delim` is kept as it is.
std::string DecodeEscapes(std::string_view value, char delim);
// DecodeEscapes with "%" ("+" stays "+").
std::string DecodePercentEscapes(std::string_view value);

// Base64-style encoding with a 65-symbol table (64 digits, then the pad symbol); an index
// beyond a shorter table writes nothing.
std::string EncodeWithTable(std::string_view value, std::string_view table65);
// Standard Base64 (RFC 4648) with "=" padding.
std::string ToBase64(std::string_view value);

}  // namespace ov
