#include "ui/url_encoding.h"

namespace ov {
namespace {

bool KeptAsIs(unsigned char c) {
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  switch (c) {
    case '!':
    case '$':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '-':
    case '.':
    case '@':
    case '_':
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string EncodeUrlQuery(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(utf8.size() * 3);
  for (char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if (KeptAsIs(c)) {
      out += ch;
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

std::string WhatsAppChatUrl(std::string_view host, std::string_view phone_digits) {
  std::string url = "https://";
  url += host;
  url += "/send?phone=";
  url += phone_digits;
  url += "&text=";
  url += EncodeUrlQuery(kChatGreeting);
  return url;
}

std::string VendorSiteUrl(std::string_view site_host) {
  return "https://" + std::string(site_host);
}

}  // namespace ov
