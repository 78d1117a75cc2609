#pragma once
// Upper-casing as Windows' character upper-casing does it: UTF-16 units, accented Latin, Greek
// and Cyrillic letters included; everything else unchanged.

#include <cstddef>
#include <string>
#include <string_view>

namespace ov {

// The first `max_units` UTF-16 units of `utf8`, upper-cased (invalid bytes become U+FFFD).
std::u16string UpperUtf16Prefix(std::string_view utf8, std::size_t max_units);

char16_t UpperUtf16Unit(char16_t c);

}  // namespace ov
