#include "ui/url_encoding.h"

#include <gtest/gtest.h>

namespace ov {
namespace {

TEST(UrlEncoding, GreetingEncodesToTheChatQuery) {
  EXPECT_EQ(EncodeUrlQuery(kChatGreeting),
            "Ol%C3%A1+Kovra%2C+estou+instalando+o+sistema++e+gostaria+de+informa%C3%A7%C3%B5es+");
}

TEST(UrlEncoding, KeepsOnlyTheUnreservedSet) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"!$'()*-.@_", "!$'()*-.@_"},
      {"AZaz09", "AZaz09"},
      {"a b", "a+b"},
      {"&=?/#%+~", "%26%3D%3F%2F%23%25%2B%7E"},
      {"\t\n", "%09%0A"},
      {"\xE2\x82\xAC", "%E2%82%AC"},  // the euro sign: three UTF-8 bytes
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeUrlQuery(c.in), c.out) << c.in;
}

TEST(UrlEncoding, LinkAddresses) {
  EXPECT_EQ(WhatsAppChatUrl("api.whatsapp.com", "5511987654321"),
            "https://api.whatsapp.com/send?phone=5511987654321&text="
            "Ol%C3%A1+Kovra%2C+estou+instalando+o+sistema++e+gostaria+de+informa%C3%A7%C3%B5es+");
  EXPECT_EQ(VendorSiteUrl("www.ovilar.example"), "https://www.ovilar.example");
}

}  // namespace
}  // namespace ov
