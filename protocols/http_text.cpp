#include "protocols/http_text.h"

#include "net/ansi.h"
#include "net/codec.h"
#include "net/text_utils.h"

namespace ov {
namespace {

std::string_view TrimControl(std::string_view text) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

HttpTarget SplitRequestUrl(std::string_view url, const std::string& user_name,
                           const std::string& password) {
  const UrlParts parts = SplitUrl(TrimControl(url));
  HttpTarget target;
  target.Prot = parts.Prot;
  target.Host = parts.Host;
  target.Port = parts.Port;
  target.URI = parts.URI;
  const std::string user = DecodePercentEscapes(parts.User);
  if (!user.empty()) {
    // Percent-decoded URL credentials are bytes already and go out unchanged.
    target.User = AnsiToUtf8(user);
    target.Credentials = user + ":" + DecodePercentEscapes(parts.Pass);
  } else if (!user_name.empty()) {
    target.User = user_name;
    target.Credentials = Utf8ToAnsi(user_name + ":" + password);
  }
  return target;
}

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::optional<std::int64_t> ParseDecimalLength(std::string_view text) {
  text = TrimControl(text);
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::optional<std::int64_t> ParseChunkSize(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  int digits = 0;
  for (char c : text) {
    int digit = 0;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    if (value != 0 || digit != 0) ++digits;
    if (digits > 15) return std::nullopt;
    value = value * 16 + digit;
  }
  return value;
}

}  // namespace ov
