#include "tools/ftplist/ftplist_input.h"

#include <iterator>

#include "net/ansi.h"

namespace ov {

std::vector<std::string> ListingLinesFromBytes(std::string_view bytes, bool utf8) {
  static constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  if (bytes.starts_with(kUtf8Bom)) {
    bytes.remove_prefix(kUtf8Bom.size());
    utf8 = true;
  }
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view raw = bytes.substr(start, end - start);
    lines.push_back(utf8 ? std::string(raw) : AnsiToUtf8(raw));
    const bool crlf = bytes.substr(end, 2) == "\r\n";
    start = end + (crlf ? 2 : 1);
  }
  return lines;
}

std::string ReadAllBytes(std::istream& in) {
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace ov
