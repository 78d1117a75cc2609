#include "net/text_to_int.h"

namespace ov {
namespace {

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

// Strips a hexadecimal prefix from the front of `text`; true when one was there.
bool TakeHexPrefix(std::string_view& text) {
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    return true;
  }
  if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X')) {
    text.remove_prefix(1);
    return true;
  }
  return false;
}

}  // namespace

std::optional<std::int32_t> TextToInt(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const int base = TakeHexPrefix(text) ? 16 : 10;
  if (text.empty()) return std::nullopt;

  // Accumulate the magnitude in 64 bits; stop as soon as it leaves the 32-bit range.
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t magnitude = 0;
  for (char c : text) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::int32_t TextToIntDef(std::string_view text, std::int32_t fallback) {
  return TextToInt(text).value_or(fallback);
}

}  // namespace ov
