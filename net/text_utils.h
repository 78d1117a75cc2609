// Text helpers shared by the protocol clients: trimming, tokens, URL splitting, searching,
// line breaks and header-line unfolding. Text is UTF-8 or raw bytes in std::string.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ov {

// Remove leading / trailing / both runs of the space character (only ' ', not tabs).
std::string TrimSpacesLeft(std::string_view value);
std::string TrimSpacesRight(std::string_view value);
std::string TrimSpaces(std::string_view value);

// Text before the first `delim`; the whole value when `delim` does not occur.
std::string TextBefore(std::string_view value, std::string_view delim);
// Text after the first `delim` (skipped whole); the whole value when `delim` does not occur,
// so without a delimiter TextBefore and TextAfter both return the whole value.
std::string TextAfter(std::string_view value, std::string_view delim);

// Returns the text before the first `delim` and leaves the rest after it in `value`;
// without a delimiter returns the whole value and empties it.
std::string CutToken(std::string& value, std::string_view delim);
// CutToken with spaces trimmed from both the token and the remainder.
std::string CutTrimmedToken(std::string& value, std::string_view delim);

// Parts of a URL. Prot defaults to "http"; Port to "80", "443" for https or "21" for ftp;
// Host to "localhost". The authority ends at the first "/", "?" or "#"; an "@" after that
// belongs to the path or query. No percent-decoding; a "#" fragment stays in Path or Para.
// URI is "/" + everything after the authority's "/".
struct UrlParts {
  std::string Prot, User, Pass, Host, Port, Path, Para, URI;
};
UrlParts SplitUrl(std::string_view url);

// Every non-overlapping occurrence of `search` replaced by `repl`, left to right (bytes);
// `value` unchanged when it or `search` is empty.
std::string ReplaceAll(std::string_view value, std::string_view search, std::string_view repl);

// 1-based position of the last `sub` in `value` that ends at or before 1-based `from`; 0 = none.
int LastPosFrom(std::string_view sub, std::string_view value, int from);
// 1-based position of the last `sub` in `value`; 0 = none.
int LastPos(std::string_view sub, std::string_view value);

// 1-based position of the first line break (CRLF, LFCR, CR or LF) in `value` and the break
// itself in `terminator`; -1 (terminator empty) when there is none.
int FindLineBreak(std::string_view value, std::string& terminator);

// How many times `c` occurs in `value`.
int CountChar(std::string_view value, char c);

// `path` without surrounding characters up to code 32, with a "\" appended unless already
// there; an empty or blank path gives "".
std::string WithTrailingBackslash(std::string_view path);

// Joins the header line at `index` (0-based) with its continuation lines (those starting with
// a space, tab, '"', ':' or '='; the last line of the list never counts as one) and advances
// `index` past all of them. Trailing characters up to code 32 are removed.
std::string UnfoldHeaderLine(const std::vector<std::string>& lines, std::size_t& index);

}  // namespace ov
