#include "download/http_response_head.h"

#include <cctype>
#include <charconv>

#include "download/url_reference.h"
#include "net/text_utils.h"

namespace ov {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::optional<std::int64_t> Number(std::string_view text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::string> HeaderValue(const std::vector<std::string>& headers,
                                       const std::string& name) {
  const std::string wanted = Lower(name) + ":";
  for (const std::string& line : headers) {
    if (Lower(line.substr(0, wanted.size())) != wanted) continue;
    std::string value = TrimSpaces(line.substr(wanted.size()));
    while (!value.empty() && value.front() == '\t') value.erase(0, 1);
    if (!value.empty()) return value;
  }
  return std::nullopt;
}

std::optional<ContentRange> ParseContentRange(const std::string& value) {
  std::string text = TrimSpaces(value);
  if (Lower(text.substr(0, 6)) != "bytes ") return std::nullopt;
  text = TrimSpaces(text.substr(6));
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) return std::nullopt;
  ContentRange range;
  const std::string span = text.substr(0, slash);
  const std::string total = text.substr(slash + 1);
  if (total != "*") {
    const auto parsed = Number(total);
    if (!parsed) return std::nullopt;
    range.total = *parsed;
  }
  if (span != "*") {
    const auto first = Number(span.substr(0, span.find('-')));
    if (!first) return std::nullopt;
    range.first = *first;
  }
  return range;
}

std::string ProbedFileName(const std::vector<std::string>& headers) {
  static const std::string kKey = "filename=";
  for (const std::string& line : headers) {
    const std::size_t at = line.find(kKey);
    if (at == std::string::npos) continue;
    std::string name = line.substr(at + kKey.size());
    if (!name.empty() && name.front() == '"') {
      name = name.size() >= 2 ? name.substr(1, name.size() - 2) : std::string();
    }
    // A server must not choose where the file lands: keep only the last path segment.
    name = LastPathSegment(name);
    if (name == "." || name == "..") return {};
    return name;
  }
  return {};
}

}  // namespace ov
