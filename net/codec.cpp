#include "net/codec.h"

namespace ov {
namespace {

constexpr std::string_view kBase64Table =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";
constexpr std::size_t kPadIndex = 64;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void PutSymbol(std::string& out, std::string_view table, std::size_t index) {
  if (index < table.size()) out += table[index];
}

}  // namespace

std::string PackWordBE(std::uint16_t value) {
  return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::uint16_t UnpackWordBE(std::string_view bytes, int index1) {
  if (index1 < 1 || static_cast<std::size_t>(index1) >= bytes.size()) return 0;
  const auto high = static_cast<unsigned char>(bytes[index1 - 1]);
  const auto low = static_cast<unsigned char>(bytes[index1]);
  return static_cast<std::uint16_t>(high << 8 | low);
}

std::string PackLongBE(std::uint32_t value) {
  return PackWordBE(static_cast<std::uint16_t>(value >> 16)) +
         PackWordBE(static_cast<std::uint16_t>(value & 0xFFFF));
}

std::uint32_t SwapLongBytes(std::uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

std::string DecodeEscapes(std::string_view value, char delim) {
  std::string out;
  out.reserve(value.size());
  std::size_t i = 0;
  while (i < value.size()) {
    if (value[i] != delim) {
      out += value[i++];
      continue;
    }
    if (value.size() - i - 1 < 2) break;  // an incomplete escape ends the text
    const char next = value[i + 1];
    if (next == '\r' || next == '\n') {  // soft line break
      i += 2;
      if (i < value.size() && value[i] == (next == '\r' ? '\n' : '\r')) ++i;
      continue;
    }
    const int high = HexValue(next);
    const int low = HexValue(value[i + 2]);
    if (high >= 0 && low >= 0) {
      out += static_cast<char>(high << 4 | low);
      i += 3;
    } else {
      out += delim;
      ++i;
    }
  }
  return out;
}

std::string DecodePercentEscapes(std::string_view value) { return DecodeEscapes(value, '%'); }

std::string EncodeWithTable(std::string_view value, std::string_view table65) {
  std::string out;
  out.reserve((value.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < value.size(); i += 3) {
    const std::size_t left = value.size() - i;
    const auto b1 = static_cast<unsigned char>(value[i]);
    const auto b2 = left > 1 ? static_cast<unsigned char>(value[i + 1]) : 0u;
    const auto b3 = left > 2 ? static_cast<unsigned char>(value[i + 2]) : 0u;
    PutSymbol(out, table65, b1 >> 2);
    PutSymbol(out, table65, ((b1 & 3u) << 4) + (b2 >> 4));
    PutSymbol(out, table65, left > 1 ? ((b2 & 15u) << 2) + (b3 >> 6) : kPadIndex);
    PutSymbol(out, table65, left > 2 ? b3 & 63u : kPadIndex);
  }
  return out;
}

std::string ToBase64(std::string_view value) { return EncodeWithTable(value, kBase64Table); }

}  // namespace ov
