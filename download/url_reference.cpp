#include "download/url_reference.h"

#include <cctype>
#include <vector>

#include "net/text_utils.h"

namespace ov {
namespace {

// Length of "scheme:" at the start, 0 when there is no scheme.
std::size_t SchemeLength(std::string_view url) {
  for (std::size_t i = 0; i < url.size(); ++i) {
    const auto c = static_cast<unsigned char>(url[i]);
    if (c == ':') return i > 0 ? i + 1 : 0;
    if (!(std::isalnum(c) || c == '+' || c == '-' || c == '.')) return 0;
  }
  return 0;
}

std::string RemoveDotSegments(std::string_view path) {
  std::vector<std::string> kept;
  std::size_t start = 1;  // path begins with "/"
  bool ends_with_dir = false;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view segment = path.substr(start, end - start);
    ends_with_dir = segment == "." || segment == "..";
    if (segment == "..") {
      if (!kept.empty()) kept.pop_back();
    } else if (segment != ".") {
      kept.emplace_back(segment);
    }
    start = end + 1;
  }
  std::string result;
  for (const std::string& segment : kept) result += "/" + segment;
  if (ends_with_dir || result.empty()) result += "/";
  return result;
}

struct SplitReference {
  std::string scheme_and_authority;  // "http://host:port"
  std::string path;                  // "/a/b"
  std::string query;                 // "?x" or empty
};

SplitReference Split(std::string_view url) {
  SplitReference parts;
  const std::size_t scheme = SchemeLength(url);
  std::size_t path_start = scheme;
  if (url.substr(scheme, 2) == "//") {
    path_start = url.find_first_of("/?#", scheme + 2);
    if (path_start == std::string_view::npos) path_start = url.size();
  }
  parts.scheme_and_authority = std::string(url.substr(0, path_start));
  std::string_view rest = url.substr(path_start);
  rest = rest.substr(0, rest.find('#'));
  const std::size_t query = rest.find('?');
  parts.path = std::string(rest.substr(0, query));
  if (query != std::string_view::npos) parts.query = std::string(rest.substr(query));
  if (parts.path.empty()) parts.path = "/";
  return parts;
}

}  // namespace

std::string ResolveUrlReference(std::string_view base, std::string_view reference) {
  const std::string ref = TrimSpaces(reference);
  if (SchemeLength(ref) > 0) return ref;
  const SplitReference from = Split(base);
  const std::size_t scheme = SchemeLength(base);
  if (ref.rfind("//", 0) == 0) return std::string(base.substr(0, scheme)) + ref;
  if (ref.empty()) return from.scheme_and_authority + from.path + from.query;
  if (ref[0] == '?') return from.scheme_and_authority + from.path + ref;
  if (ref[0] == '#') return from.scheme_and_authority + from.path + from.query;
  const std::size_t query = ref.find('?');
  std::string path = ref.substr(0, query);
  const std::string rest = query == std::string::npos ? std::string() : ref.substr(query);
  if (path.empty() || path[0] != '/') path = from.path.substr(0, from.path.rfind('/') + 1) + path;
  return from.scheme_and_authority + RemoveDotSegments(path) + rest;
}

std::string UrlAuthority(std::string_view url) {
  const UrlParts parts = SplitUrl(url);
  std::string authority = parts.Host + ":" + parts.Port;
  for (char& c : authority) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return authority;
}

}  // namespace ov

namespace ov {

std::string LastPathSegment(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace ov
