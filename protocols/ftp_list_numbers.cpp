#include "protocols/ftp_list_numbers.h"

#include <limits>

namespace ov {
namespace {

int DigitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9')
    v = c - '0';
  else if (c >= 'a' && c <= 'f')
    v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    v = c - 'A' + 10;
  return v < base ? v : -1;
}

}  // namespace

std::int64_t ListTextToInt64Def(std::string_view text, std::int64_t fallback) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (text.substr(i, 2) == "0x" || text.substr(i, 2) == "0X") {
    base = 16, i += 2;
  } else if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16, ++i;
  }
  if (i >= text.size()) return fallback;
  // Accumulate as a negative number so that the minimum value fits.
  const std::int64_t min = std::numeric_limits<std::int64_t>::min();
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    const int d = DigitValue(text[i], base);
    if (d < 0 || value < (min + d) / base) return fallback;
    value = value * base - d;
  }
  if (!negative) {
    if (value == min) return fallback;
    value = -value;
  }
  return value;
}

}  // namespace ov
