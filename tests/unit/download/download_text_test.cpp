// Redirect targets, names offered by servers, Content-Range values and event counts.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "download/downloader_engine.h"
#include "download/http_response_head.h"
#include "download/url_reference.h"

namespace ov {
namespace {

TEST(UrlReference, ResolvesAgainstTheRequestedUrl) {
  const std::string base = "http://h:81/pub/dir/file.rar?x=1";
  struct Case {
    std::string reference, expected;
  } cases[] = {
      {"http://other/a.rar", "http://other/a.rar"},
      {"//cdn:8080/a.rar", "http://cdn:8080/a.rar"},
      {"/root.rar", "http://h:81/root.rar"},
      {"sibling.rar", "http://h:81/pub/dir/sibling.rar"},
      {"../up.rar?y=2", "http://h:81/pub/up.rar?y=2"},
      {"./../../../top.rar", "http://h:81/top.rar"},
      {"?z=3", "http://h:81/pub/dir/file.rar?z=3"},
  };
  for (const Case& c : cases) EXPECT_EQ(ResolveUrlReference(base, c.reference), c.expected) << c.reference;
  EXPECT_EQ(UrlAuthority("http://H:80/x"), UrlAuthority("http://h/y"));
  EXPECT_NE(UrlAuthority("http://h:81/x"), UrlAuthority("http://h/x"));
}

TEST(ResponseHead, ProbedNames) {
  struct Case {
    std::string line, expected;
  } cases[] = {{"Content-Disposition: attachment; filename=\"a b.zip\"", "a b.zip"},
               {"Content-Disposition: attachment; filename=plain.rar", "plain.rar"},
               {"Content-Disposition: filename=\"C:\\\\Windows\\\\evil.dll\"", "evil.dll"},
               {"Content-Disposition: filename=/etc/passwd", "passwd"},
               {"Content-Disposition: filename=..", ""},
               {"Content-Disposition: filename=\"\"", ""},
               {"Content-Type: text/plain", ""}};
  for (const Case& c : cases) {
    EXPECT_EQ(ProbedFileName({"HTTP/1.0 200 OK", c.line, ""}), c.expected) << c.line;
  }
}

TEST(ResponseHead, HeaderValuesAndContentRange) {
  const std::vector<std::string> head = {"HTTP/1.0 302 Found", "LOCATION:   /x ", "Location: /y"};
  EXPECT_EQ(HeaderValue(head, "Location"), "/x");
  EXPECT_FALSE(HeaderValue({"Location:  "}, "Location"));
  const auto full = ParseContentRange("bytes 100-199/5000000000");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->first, 100);
  EXPECT_EQ(full->total, 5000000000LL);
  const auto unsatisfied = ParseContentRange("bytes */42");
  ASSERT_TRUE(unsatisfied);
  EXPECT_EQ(unsatisfied->first, -1);
  EXPECT_EQ(unsatisfied->total, 42);
  EXPECT_FALSE(ParseContentRange("items 1-2/3"));
  EXPECT_FALSE(ParseContentRange("bytes 1-2/x"));
}

TEST(EngineCounts, EventsSaturateAt32Bits) {
  EXPECT_EQ(EventCount(5), 5);
  EXPECT_EQ(EventCount(3LL << 30), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(EventCount(-1), -1);
}

}  // namespace
}  // namespace ov
