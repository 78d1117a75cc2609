// Outside Windows the ANSI code page is Windows-1252.
#include "net/ansi.h"

#include <array>

#include "net/unicode.h"

namespace ov {
namespace {

// Characters of the bytes 0x80..0x9F; the five bytes Windows-1252 leaves unassigned map to
// the C1 control of the same number, as Windows itself converts them.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

wchar_t ByteToChar(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return static_cast<wchar_t>(kHighControls[byte - 0x80]);
  return static_cast<wchar_t>(byte);
}

char CharToByte(wchar_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (static_cast<wchar_t>(kHighControls[i]) == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
  std::wstring wide;
  wide.reserve(ansi.size());
  for (char byte : ansi) wide += ByteToChar(static_cast<unsigned char>(byte));
  return Narrow(wide);
}

std::string Utf8ToAnsi(std::string_view utf8) {
  std::string out;
  for (wchar_t c : Widen(utf8)) out += CharToByte(c);
  return out;
}

}  // namespace ov
