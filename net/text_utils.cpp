#include "net/text_utils.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace ov {
namespace {

bool IsControlOrSpace(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view TrimControlsAndSpaces(std::string_view value) {
  while (!value.empty() && IsControlOrSpace(value.front())) value.remove_prefix(1);
  while (!value.empty() && IsControlOrSpace(value.back())) value.remove_suffix(1);
  return value;
}

std::string_view TrimControlsAndSpacesRight(std::string_view value) {
  while (!value.empty() && IsControlOrSpace(value.back())) value.remove_suffix(1);
  return value;
}

}  // namespace

std::string TrimSpacesLeft(std::string_view value) {
  const std::size_t first = value.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string() : std::string(value.substr(first));
}

std::string TrimSpacesRight(std::string_view value) {
  const std::size_t last = value.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string() : std::string(value.substr(0, last + 1));
}

std::string TrimSpaces(std::string_view value) { return TrimSpacesLeft(TrimSpacesRight(value)); }

std::string TextBefore(std::string_view value, std::string_view delim) {
  const std::size_t at = value.find(delim);
  return std::string(at == std::string_view::npos ? value : value.substr(0, at));
}

std::string TextAfter(std::string_view value, std::string_view delim) {
  const std::size_t at = value.find(delim);
  return std::string(at == std::string_view::npos ? value : value.substr(at + delim.size()));
}

std::string CutToken(std::string& value, std::string_view delim) {
  const std::size_t at = value.find(delim);
  if (at == std::string::npos) return std::exchange(value, std::string());
  std::string token = value.substr(0, at);
  value.erase(0, at + delim.size());
  return token;
}

std::string CutTrimmedToken(std::string& value, std::string_view delim) {
  std::string token = TrimSpaces(CutToken(value, delim));
  value = TrimSpaces(value);
  return token;
}

std::string ReplaceAll(std::string_view value, std::string_view search, std::string_view repl) {
  if (value.empty() || search.empty()) return std::string(value);
  std::string result;
  std::size_t start = 0;
  for (std::size_t at = value.find(search); at != std::string_view::npos;
       at = value.find(search, start)) {
    result.append(value.substr(start, at - start)).append(repl);
    start = at + search.size();
  }
  result.append(value.substr(start));
  return result;
}

int LastPosFrom(std::string_view sub, std::string_view value, int from) {
  if (sub.empty() || from <= 0) return 0;
  const std::size_t end = std::min(static_cast<std::size_t>(from), value.size());
  if (sub.size() > end) return 0;
  const std::size_t at = value.substr(0, end).rfind(sub);
  return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

int LastPos(std::string_view sub, std::string_view value) {
  return LastPosFrom(sub, value, static_cast<int>(value.size()));
}

int FindLineBreak(std::string_view value, std::string& terminator) {
  const std::size_t at = value.find_first_of("\r\n");
  if (at == std::string_view::npos) {
    terminator.clear();
    return -1;
  }
  const char first = value[at];
  const char pair = first == '\r' ? '\n' : '\r';
  const bool two = at + 1 < value.size() && value[at + 1] == pair;
  terminator = std::string(value.substr(at, two ? 2 : 1));
  return static_cast<int>(at) + 1;
}

int CountChar(std::string_view value, char c) {
  return static_cast<int>(std::count(value.begin(), value.end(), c));
}

std::string WithTrailingBackslash(std::string_view path) {
  std::string result(TrimControlsAndSpaces(path));
  if (!result.empty() && result.back() != '\\') result += '\\';
  return result;
}

std::string UnfoldHeaderLine(const std::vector<std::string>& lines, std::size_t& index) {
  if (index >= lines.size()) return std::string();
  std::string line = lines[index++];
  while (!line.empty() && index + 1 < lines.size()) {
    std::string next = lines[index];
    if (next.empty()) break;
    std::replace(next.begin(), next.end(), '\t', ' ');
    if (next[0] != ' ' && next[0] != '"' && next[0] != ':' && next[0] != '=') break;
    line.append(" ").append(TrimControlsAndSpaces(next));
    ++index;
  }
  return std::string(TrimControlsAndSpacesRight(line));
}

namespace {

std::string UpperAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

std::string DefaultPort(std::string_view prot) {
  const std::string upper = UpperAscii(prot);
  if (upper == "HTTPS") return "443";
  if (upper == "FTP") return "21";
  return "80";
}

// Splits "user[:pass]@" off the authority; an "@" past the first "/", "?" or "#" is not in
// the authority, so it stays with the path or query.
void TakeUserInfo(std::string& rest, UrlParts& parts) {
  const std::size_t at = rest.find('@');
  if (at == std::string::npos || at > rest.find_first_of("/?#")) return;
  const std::string user_info = CutToken(rest, "@");
  if (user_info.find(':') != std::string::npos) {
    parts.User = TextBefore(user_info, ":");
    parts.Pass = TextAfter(user_info, ":");
  } else {
    parts.User = user_info;
  }
}

void TakeHostPort(std::string_view host_port, UrlParts& parts) {
  if (host_port.starts_with('[')) {
    parts.Host = TextBefore(host_port, "]").substr(1);
    const std::string tail = TextAfter(host_port, "]");
    if (tail.starts_with(':')) parts.Port = TextAfter(tail, ":");
  } else if (host_port.find(':') != std::string_view::npos) {
    parts.Host = TextBefore(host_port, ":");
    parts.Port = TextAfter(host_port, ":");
  } else {
    parts.Host = std::string(host_port);
  }
}

}  // namespace

UrlParts SplitUrl(std::string_view url) {
  UrlParts parts;
  parts.Prot = "http";
  std::string rest(url);
  if (url.find("://") != std::string_view::npos) {
    parts.Prot = TextBefore(url, "://");
    rest = TextAfter(url, "://");
  }
  parts.Port = DefaultPort(parts.Prot);
  TakeUserInfo(rest, parts);

  // The authority ends at the first "/", "?" or "#"; a "/" there is dropped (URI adds it
  // back), a "?" or "#" stays with what follows.
  const std::size_t end = rest.find_first_of("/?#");
  std::string path_part;
  if (end != std::string::npos) {
    path_part = rest.substr(rest[end] == '/' ? end + 1 : end);
    rest.resize(end);
  }
  TakeHostPort(rest, parts);

  parts.URI = "/" + path_part;
  if (path_part.find('?') != std::string::npos) {
    parts.Path = "/" + TextBefore(path_part, "?");
    parts.Para = TextAfter(path_part, "?");
  } else {
    parts.Path = "/" + path_part;
  }
  if (parts.Host.empty()) parts.Host = "localhost";
  return parts;
}

}  // namespace ov
