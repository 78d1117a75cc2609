#include "net/text_utils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ov {
namespace {

struct UrlCase {
  std::string url;
  UrlParts expected;
};

TEST(SplitUrl, SplitsEveryPart) {
  // Prot, User, Pass, Host, Port, Path, Para, URI
  const UrlCase cases[] = {
      {"http://usr:pa:ss@srv:8080/dir/f.rar?x=1",
       {"http", "usr", "pa:ss", "srv", "8080", "/dir/f.rar", "x=1", "/dir/f.rar?x=1"}},
      {"HTTPS://[::1]/", {"HTTPS", "", "", "::1", "443", "/", "", "/"}},
      {"[::1]:81", {"http", "", "", "::1", "81", "/", "", "/"}},
      {"", {"http", "", "", "localhost", "80", "/", "", "/"}},
      {"ftp://files.example", {"ftp", "", "", "files.example", "21", "/", "", "/"}},
      {"ftp://anon@files.example/pub/",
       {"ftp", "anon", "", "files.example", "21", "/pub/", "", "/pub/"}},
      {"gopher://h/", {"gopher", "", "", "h", "80", "/", "", "/"}},
      {"http://host:/a", {"http", "", "", "host", "", "/a", "", "/a"}},
      {"http://h/a%20b?q=%41#frag",
       {"http", "", "", "h", "80", "/a%20b", "q=%41#frag", "/a%20b?q=%41#frag"}},
      {"http://h/a#frag", {"http", "", "", "h", "80", "/a#frag", "", "/a#frag"}},
      {"http://u@/x", {"http", "u", "", "localhost", "80", "/x", "", "/x"}},
      // An "@" after the authority belongs to the path, query or fragment.
      {"http://host/p@th", {"http", "", "", "host", "80", "/p@th", "", "/p@th"}},
      {"http://host?x=a@b", {"http", "", "", "host", "80", "/", "x=a@b", "/?x=a@b"}},
      {"http://host#a@b", {"http", "", "", "host", "80", "/#a@b", "", "/#a@b"}},
      {"http://u:p@host:81?x=a@b", {"http", "u", "p", "host", "81", "/", "x=a@b", "/?x=a@b"}},
      {"http://host?x=1", {"http", "", "", "host", "80", "/", "x=1", "/?x=1"}},
  };
  for (const UrlCase& c : cases) {
    const UrlParts got = SplitUrl(c.url);
    const UrlParts& want = c.expected;
    SCOPED_TRACE(c.url);
    EXPECT_EQ(got.Prot, want.Prot);
    EXPECT_EQ(got.User, want.User);
    EXPECT_EQ(got.Pass, want.Pass);
    EXPECT_EQ(got.Host, want.Host);
    EXPECT_EQ(got.Port, want.Port);
    EXPECT_EQ(got.Path, want.Path);
    EXPECT_EQ(got.Para, want.Para);
    EXPECT_EQ(got.URI, want.URI);
  }
}

TEST(TextUtils, TrimsSpacesOnly) {
  EXPECT_EQ(TrimSpacesLeft("  a b  "), "a b  ");
  EXPECT_EQ(TrimSpacesRight("  a b  "), "  a b");
  EXPECT_EQ(TrimSpaces("  a b  "), "a b");
  EXPECT_EQ(TrimSpaces("\t a \t"), "\t a \t");
  EXPECT_EQ(TrimSpaces("    "), "");
  EXPECT_EQ(TrimSpacesLeft(""), "");
}

TEST(TextUtils, TextBeforeAndAfterTheFirstDelimiter) {
  EXPECT_EQ(TextBefore("a=>b=>c", "=>"), "a");
  EXPECT_EQ(TextAfter("a=>b=>c", "=>"), "b=>c");
  EXPECT_EQ(TextBefore("abc", ";"), "abc");
  EXPECT_EQ(TextAfter("abc", ";"), "abc");
  EXPECT_EQ(TextAfter("abc;", ";"), "");
  EXPECT_EQ(TextBefore(";abc", ";"), "");
}

TEST(TextUtils, CutsTokens) {
  std::string value = "one, two ,three";
  EXPECT_EQ(CutToken(value, ","), "one");
  EXPECT_EQ(value, " two ,three");
  EXPECT_EQ(CutTrimmedToken(value, ","), "two");
  EXPECT_EQ(value, "three");
  EXPECT_EQ(CutToken(value, ","), "three");
  EXPECT_EQ(value, "");
  EXPECT_EQ(CutToken(value, ","), "");

  std::string spaced = "  Content-Type :  text/html  ";
  EXPECT_EQ(CutTrimmedToken(spaced, ":"), "Content-Type");
  EXPECT_EQ(spaced, "text/html");
}

TEST(TextUtils, ReplacesAllWithoutRescanning) {
  EXPECT_EQ(ReplaceAll("a:b:c", ":", "::"), "a::b::c");
  EXPECT_EQ(ReplaceAll("aaaa", "aa", "a"), "aa");
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAll("", "a", "x"), "");
  EXPECT_EQ(ReplaceAll("x1x", "x", ""), "1");
  EXPECT_EQ(ReplaceAll(std::string("a\0b", 3), std::string("\0", 1), "-"), "a-b");
}

TEST(TextUtils, LastPositionsCountFromOne) {
  EXPECT_EQ(LastPos("ab", "abcab"), 4);
  EXPECT_EQ(LastPos("ab", "abcabx"), 4);
  EXPECT_EQ(LastPos("x", "abc"), 0);
  EXPECT_EQ(LastPos("abcd", "abc"), 0);
  EXPECT_EQ(LastPos("a", "a"), 1);
  EXPECT_EQ(LastPosFrom("ab", "abcab", 4), 1);  // the later "ab" ends past position 4
  EXPECT_EQ(LastPosFrom("ab", "abcab", 5), 4);
  EXPECT_EQ(LastPosFrom("ab", "abcab", 1), 0);
  EXPECT_EQ(LastPosFrom("ab", "abcab", 99), 4);
  EXPECT_EQ(LastPosFrom("ab", "abcab", 0), 0);
}

TEST(TextUtils, FindsTheFirstLineBreak) {
  struct Case {
    std::string bytes;
    int position;
    std::string terminator;
  };
  const Case cases[] = {
      {"ab\r\nc", 3, "\r\n"}, {"ab\n\rc", 3, "\n\r"}, {"ab\r", 3, "\r"}, {"ab\n\nc", 3, "\n"},
      {"ab\r\rc", 3, "\r"},   {"abc", -1, ""},        {"\nx", 1, "\n"},  {"", -1, ""},
  };
  for (const Case& c : cases) {
    std::string terminator = "stale";
    EXPECT_EQ(FindLineBreak(c.bytes, terminator), c.position) << c.bytes;
    EXPECT_EQ(terminator, c.terminator) << c.bytes;
  }
}

TEST(TextUtils, CountsCharacters) {
  EXPECT_EQ(CountChar("a.b.c.", '.'), 3);
  EXPECT_EQ(CountChar("", '.'), 0);
  EXPECT_EQ(CountChar("::1", ':'), 2);
}

TEST(TextUtils, WithTrailingBackslash) {
  EXPECT_EQ(WithTrailingBackslash("  C:\\Ovilar \t"), "C:\\Ovilar\\");
  EXPECT_EQ(WithTrailingBackslash(" C:\\Ovilar\\ "), "C:\\Ovilar\\");
  EXPECT_EQ(WithTrailingBackslash(""), "");
  EXPECT_EQ(WithTrailingBackslash(" \t\r\n"), "");
  EXPECT_EQ(WithTrailingBackslash("Pasta \xC3\xA9"), "Pasta \xC3\xA9\\");
}

TEST(TextUtils, UnfoldsHeaderLines) {
  const std::vector<std::string> lines = {
      "Content-Type: text/html; ",  // trailing blanks go
      "\tcharset=utf-8",            // a tab continues the line
      "  ;q=1  ",
      "Set-Cookie: a=1",
      "=b; path=/",  // so do '=', ':' and '"'
      "X-Empty:",
      "Next: 1",
      " not taken: last line",
  };
  std::size_t index = 0;
  EXPECT_EQ(UnfoldHeaderLine(lines, index), "Content-Type: text/html;  charset=utf-8 ;q=1");
  EXPECT_EQ(index, 3u);
  EXPECT_EQ(UnfoldHeaderLine(lines, index), "Set-Cookie: a=1 =b; path=/");
  EXPECT_EQ(index, 5u);
  EXPECT_EQ(UnfoldHeaderLine(lines, index), "X-Empty:");
  EXPECT_EQ(UnfoldHeaderLine(lines, index), "Next: 1");  // the last line is never a continuation
  EXPECT_EQ(index, 7u);

  const std::vector<std::string> block = {"A: 1", "", " b"};
  index = 0;
  EXPECT_EQ(UnfoldHeaderLine(block, index), "A: 1");  // an empty line ends the header
  EXPECT_EQ(index, 1u);
  EXPECT_EQ(UnfoldHeaderLine(block, index), "");  // an empty line is not unfolded
  EXPECT_EQ(index, 2u);
  index = 9;
  EXPECT_EQ(UnfoldHeaderLine(block, index), "");  // out of range: nothing, no crash
  EXPECT_EQ(index, 9u);
}

}  // namespace
}  // namespace ov
