#include "protocols/ftp_send_text.h"

#include "net/ansi.h"
#include "net/text_to_int.h"
#include "net/text_utils.h"

namespace ov {
namespace {

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9')
    value = c - '0';
  else if (c >= 'a' && c <= 'f')
    value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    value = c - 'A' + 10;
  return value < base ? value : -1;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// UTF-16 bytes (after the byte-order mark) as UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool big_endian) {
  std::string out;
  out.reserve(bytes.size());
  auto unit = [&](std::size_t i) {
    const auto a = static_cast<std::uint8_t>(bytes[i]);
    const auto b = static_cast<std::uint8_t>(bytes[i + 1]);
    return static_cast<std::uint32_t>(big_endian ? (a << 8 | b) : (b << 8 | a));
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::uint32_t cp = unit(i);
    if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < bytes.size()) {
      const std::uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    if (cp >= 0xD800 && cp < 0xE000) cp = 0xFFFD;
    AppendUtf8(out, cp);
  }
  return out;
}

std::string DecodeListing(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return std::string(bytes.substr(3));
  if (bytes.starts_with("\xFF\xFE")) return Utf16ToUtf8(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return Utf16ToUtf8(bytes.substr(2), true);
  return AnsiToUtf8(bytes);
}

}  // namespace

std::string FtpReplyCode(std::string_view line) {
  if (line.size() > 3 && (line[3] == ' ' || line[3] == '-')) return std::string(line.substr(0, 3));
  return {};
}

std::string TrimControl(std::string_view value) {
  while (!value.empty() && static_cast<unsigned char>(value.front()) <= 32) value.remove_prefix(1);
  while (!value.empty() && static_cast<unsigned char>(value.back()) <= 32) value.remove_suffix(1);
  return std::string(value);
}

std::optional<std::int64_t> TextToInt64(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  } else if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X')) {
    text.remove_prefix(1);
    base = 16;
  }
  if (text.empty()) return std::nullopt;
  // Accumulated as unsigned so the check against the limit cannot overflow.
  const std::uint64_t limit = negative ? (1ULL << 63) : (1ULL << 63) - 1;
  std::uint64_t magnitude = 0;
  for (char c : text) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return std::nullopt;
    if (magnitude >
        (limit - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base)) {
      return std::nullopt;
    }
    magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
  }
  if (negative) return static_cast<std::int64_t>(0 - magnitude);
  return static_cast<std::int64_t>(magnitude);
}

std::string DirectoryFromPwdReply(std::string_view line) {
  const std::string after = TextAfter(line, "\"");
  return TrimControl(TextBefore(after, "\""));
}

std::int64_t SizeFromReply(std::string_view line) {
  std::string value = TrimControl(TextAfter(line, " "));
  value = TrimControl(TextBefore(value, " "));
  return TextToInt64(value).value_or(-1);
}

FtpHostPort ParsePasvReply(std::string_view line) {
  const std::string trimmed = TrimControl(line);
  const std::size_t open = trimmed.find('(');
  const std::size_t close = trimmed.find(')');
  std::string fields;
  if (open != std::string::npos && close != std::string::npos) {
    if (close > open) fields = trimmed.substr(open + 1, close - open - 1);
  } else {
    const int space = LastPos(" ", trimmed);  // 1-based
    fields = trimmed.substr(static_cast<std::size_t>(space));
  }
  FtpHostPort result;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) result.IP += '.';
    result.IP += CutTrimmedToken(fields, ",");
  }
  const std::int32_t high = TextToIntDef(CutTrimmedToken(fields, ","), 0);
  const std::int32_t low = TextToIntDef(CutTrimmedToken(fields, ","), 0);
  result.Port = std::to_string(static_cast<std::int64_t>(high) * 256 + low);
  return result;
}

std::string ParseEpsvPort(std::string_view line) {
  std::string inner = TrimControl(TextBefore(TextAfter(line, "("), ")"));
  if (!inner.empty()) inner.pop_back();  // the closing delimiter
  std::size_t start = inner.size();
  while (start > 0 && inner[start - 1] >= '0' && inner[start - 1] <= '9') --start;
  return inner.substr(start);
}

std::string PortArgument(std::string_view ip4, std::int32_t port) {
  return ReplaceAll(ip4, ".", ",") + "," + std::to_string(port / 256) + "," +
         std::to_string(port % 256);
}

std::vector<std::string> ListingLines(std::string_view bytes) {
  const std::string text = DecodeListing(bytes);
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text, start, i - start);
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text, start);
  return lines;
}

}  // namespace ov
