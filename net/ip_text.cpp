#include "net/ip_text.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "net/text_to_int.h"
#include "net/text_utils.h"

namespace ov {
namespace {

// A decimal field of 0..255 made of digits only (leading zeros allowed).
bool IsOctetText(std::string_view text) {
  const std::int32_t value = TextToIntDef(text, -1);
  if (value < 0 || value > 255) return false;
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Value of a group of hexadecimal digits (either case) when it is at most FFFF; -1 otherwise.
std::int32_t HexGroupValue(std::string_view text) {
  std::string prefixed = "$";
  prefixed.append(text);
  const std::int32_t value = TextToIntDef(prefixed, -1);
  return value > 0xFFFF ? -1 : value;
}

bool IsHexGroup(std::string_view text) { return HexGroupValue(text) >= 0; }

}  // namespace

bool IsIP4Text(std::string_view text) {
  std::string rest(text);
  for (int i = 0; i < 3; ++i) {
    if (!IsOctetText(CutTrimmedToken(rest, "."))) return false;
  }
  return IsOctetText(rest);
}

bool IsIP6Text(std::string_view text) {
  if (text == "::") return true;
  std::string rest(text);
  int fields = 0;
  int empty_fields = 0;
  while (!rest.empty()) {
    std::string field = CutTrimmedToken(rest, ":");
    if (field.empty() && fields > 0) ++empty_fields;
    if (empty_fields > 1) return false;
    ++fields;
    if (field.empty()) continue;
    if (fields > 8) return false;
    const bool last = rest.empty();
    if (last) {
      if (!IsHexGroup(TextAfter(field, "%"))) return false;
      field = TextBefore(field, "%");
    }
    if (!IsHexGroup(field)) return false;
    if (last) return !(fields == 1 && empty_fields == 0);
  }
  return false;
}

std::string IP4ToBytes(std::string_view text) {
  std::string rest(text);
  std::string bytes;
  for (int i = 0; i < 4; ++i) {
    bytes.push_back(static_cast<char>(TextToIntDef(CutTrimmedToken(rest, "."), 0) & 0xFF));
  }
  return bytes;
}

std::string ExpandIP6Text(std::string_view text) {
  if (text.empty()) return {};
  const int colons = CountChar(text, ':');
  if (colons > 7) return {};
  std::string value = text.front() == ':' ? "0" : "";
  value.append(text);
  if (value.back() == ':') value.push_back('0');
  std::string filler;
  for (int i = 0; i < 8 - colons; ++i) filler += ":0";
  filler += ":";
  return ReplaceAll(value, "::", filler);
}

TIP6Address IP6TextToBytes(std::string_view text) {
  TIP6Address result{};
  std::uint16_t groups[8] = {};
  std::string rest = ExpandIP6Text(text);
  int count = 0;
  while (!rest.empty()) {
    if (count == 8) return TIP6Address{};
    const std::string field = CutTrimmedToken(rest, ":");
    if (field == "@") break;
    std::int32_t value = 0;
    if (!field.empty()) {
      value = HexGroupValue(field);
      if (value < 0) return TIP6Address{};
    }
    groups[count++] = static_cast<std::uint16_t>(value);
  }
  for (int i = 0; i < 8; ++i) {
    result[2 * i] = static_cast<std::uint8_t>(groups[i] >> 8);
    result[2 * i + 1] = static_cast<std::uint8_t>(groups[i] & 0xFF);
  }
  return result;
}

namespace {

struct ZeroRun {
  int start = -1;
  int length = 0;
};

// The longest run of zero groups; of equally long runs the earliest.
ZeroRun LongestZeroRun(const std::uint16_t (&groups)[8]) {
  ZeroRun best, current;
  for (int i = 0; i < 8; ++i) {
    if (groups[i] == 0) {
      if (current.length == 0) current.start = i;
      ++current.length;
      continue;
    }
    if (current.length > best.length) best = current;
    current = ZeroRun{};
  }
  if (current.length > best.length) best = current;
  return best;
}

std::string HexGroup(std::uint16_t value) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 0xF]);
    value = static_cast<std::uint16_t>(value >> 4);
  } while (value != 0);
  return text;
}

}  // namespace

std::string IP6BytesToText(const TIP6Address& address) {
  std::uint16_t groups[8];
  for (int i = 0; i < 8; ++i) {
    groups[i] = static_cast<std::uint16_t>(address[2 * i] * 256 + address[2 * i + 1]);
  }
  const ZeroRun run = LongestZeroRun(groups);
  auto in_run = [&run](int i) {
    return run.length > 0 && i >= run.start && i < run.start + run.length;
  };
  std::string text;
  bool skipped = false;
  for (int i = 0; i < 8; ++i) {
    if (in_run(i)) {
      skipped = true;
      continue;
    }
    if (skipped) {
      text += text.empty() ? "::" : ":";
      skipped = false;
    }
    text += HexGroup(groups[i]) + ":";
  }
  if (skipped) text += text.empty() ? "::0" : ":";
  if (!in_run(7)) text.pop_back();
  return text;
}

}  // namespace ov
