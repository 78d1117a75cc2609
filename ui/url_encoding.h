// Builds the addresses of the window's contact links.
#pragma once

#include <string>
#include <string_view>

namespace ov {

// Encodes UTF-8 text for a URL query: ! $ ' ( ) * - . digits @ letters _ stay, a blank becomes
// "+", every other byte (so each byte of a multi-byte character) becomes %XX in upper case.
std::string EncodeUrlQuery(std::string_view utf8);

// The greeting sent with the chat link, before encoding.
inline constexpr std::string_view kChatGreeting =
    "Ol\xC3\xA1 Kovra, estou instalando o sistema  e gostaria de informa\xC3\xA7\xC3\xB5"
    "es ";

std::string WhatsAppChatUrl(std::string_view host, std::string_view phone_digits);
std::string VendorSiteUrl(std::string_view site_host);

}  // namespace ov
