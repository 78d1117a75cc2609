#include "installer/windows_upper.h"

namespace ov {
namespace {

// Decodes one UTF-8 sequence at `i`, advancing it; malformed input gives U+FFFD.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(s[i++]);
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t cp = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    cp = lead & 0x07;
  } else
    return 0xFFFD;
  for (int k = 0; k < extra; ++k) {
    if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0xFFFD;
    cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  }
  return cp > 0x10FFFF ? 0xFFFD : cp;
}

bool InRange(char16_t c, char16_t lo, char16_t hi) { return c >= lo && c <= hi; }

}  // namespace

char16_t UpperUtf16Unit(char16_t c) {
  if (InRange(c, u'a', u'z')) return static_cast<char16_t>(c - 0x20);
  if (c == 0xB5) return 0x39C;  // micro sign
  if (InRange(c, 0xE0, 0xFE) && c != 0xF7) return static_cast<char16_t>(c - 0x20);
  if (c == 0xFF) return 0x178;
  // Latin Extended-A alternates upper/lower in pairs, with a shift in the middle block.
  if ((InRange(c, 0x100, 0x137) || InRange(c, 0x14A, 0x177)) && (c & 1))
    return static_cast<char16_t>(c - 1);
  if ((InRange(c, 0x139, 0x148) || InRange(c, 0x179, 0x17E)) && !(c & 1))
    return static_cast<char16_t>(c - 1);
  if (c == 0x3C2) return 0x3A3;  // final sigma
  if (InRange(c, 0x3B1, 0x3C9)) return static_cast<char16_t>(c - 0x20);
  if (InRange(c, 0x430, 0x44F)) return static_cast<char16_t>(c - 0x20);
  if (InRange(c, 0x450, 0x45F)) return static_cast<char16_t>(c - 0x50);
  return c;
}

std::u16string UpperUtf16Prefix(std::string_view utf8, std::size_t max_units) {
  std::u16string out;
  std::size_t i = 0;
  while (i < utf8.size() && out.size() < max_units) {
    const char32_t cp = NextCodePoint(utf8, i);
    if (cp >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      if (out.size() < max_units)
        out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(UpperUtf16Unit(static_cast<char16_t>(cp)));
    }
  }
  return out;
}

}  // namespace ov
