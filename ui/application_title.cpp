#include "ui/application_title.h"

namespace ov {
namespace {

// Lower-cases ASCII letters and the Latin-1 capitals (U+00C0..U+00DE but U+00D7) of UTF-8 text.
std::string LowerLatin(std::string_view utf8) {
  std::string out(utf8);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto c = static_cast<unsigned char>(out[i]);
    if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c + 32);
    } else if (c == 0xC3 && i + 1 < out.size()) {
      const auto next = static_cast<unsigned char>(out[i + 1]);
      if (next >= 0x80 && next <= 0x9E && next != 0x97) out[i + 1] = static_cast<char>(next + 32);
      ++i;
    }
  }
  return out;
}

std::size_t FirstCharacterLength(std::string_view utf8) {
  if (utf8.empty()) return 0;
  std::size_t n = 1;
  while (n < utf8.size() && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80) ++n;
  return n;
}

}  // namespace

std::string ApplicationTitle(std::string_view executable_path) {
  const auto slash = executable_path.find_last_of("\\/");
  std::string_view name =
      slash == std::string_view::npos ? executable_path : executable_path.substr(slash + 1);
  name = name.substr(0, name.find('.'));
  const std::size_t first = FirstCharacterLength(name);
  return std::string(name.substr(0, first)) + LowerLatin(name.substr(first));
}

}  // namespace ov
