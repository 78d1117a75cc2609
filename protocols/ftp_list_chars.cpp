#include "protocols/ftp_list_chars.h"

namespace ov {
namespace {

// Stand-ins for undecodable bytes: lone low surrogates, which valid UTF-8 never yields.
constexpr char32_t kByteEscape = 0xDC00;

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Decodes one sequence at `i`; returns its length, 0 when it is not valid UTF-8.
std::size_t DecodeOne(std::string_view s, std::size_t i, char32_t& out) {
  const unsigned char b = static_cast<unsigned char>(s[i]);
  std::size_t len;
  char32_t c;
  if (b < 0x80) {
    out = b;
    return 1;
  } else if (b >= 0xC2 && b <= 0xDF) {
    len = 2, c = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3, c = b & 0x0F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4, c = b & 0x07;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const unsigned char cb = static_cast<unsigned char>(s[i + k]);
    if (!IsContinuation(cb)) return 0;
    c = (c << 6) | (cb & 0x3F);
  }
  const bool overlong = (len == 3 && c < 0x800) || (len == 4 && c < 0x10000);
  if (overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  out = c;
  return len;
}

}  // namespace

std::u32string ListTextToChars(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    const std::size_t len = DecodeOne(utf8, i, c);
    if (len == 0) {
      out.push_back(kByteEscape + static_cast<unsigned char>(utf8[i]));
      ++i;
    } else {
      out.push_back(c);
      i += len;
    }
  }
  return out;
}

void AppendListChar(std::string& s, char32_t c) {
  if (c >= kByteEscape + 0x80 && c <= kByteEscape + 0xFF) {
    s.push_back(static_cast<char>(c - kByteEscape));
  } else if (c < 0x80) {
    s.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    s.push_back(static_cast<char>(0xC0 | (c >> 6)));
    s.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    s.push_back(static_cast<char>(0xE0 | (c >> 12)));
    s.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    s.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    s.push_back(static_cast<char>(0xF0 | (c >> 18)));
    s.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    s.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    s.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::string ListCharsToText(std::u32string_view chars) {
  std::string out;
  out.reserve(chars.size());
  for (char32_t c : chars) AppendListChar(out, c);
  return out;
}

std::size_t ListTextLength(std::string_view utf8) { return ListTextToChars(utf8).size(); }

}  // namespace ov
