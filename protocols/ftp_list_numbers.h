// 64-bit sizes and times read from listing text by the program's text-to-integer rule.
#pragma once

#include <cstdint>
#include <string_view>

namespace ov {

// Leading spaces, an optional sign, "$"/"x"/"X"/"0x"/"0X" for hexadecimal, digits to the end
// and a value within the signed 64-bit range; `fallback` otherwise.
std::int64_t ListTextToInt64Def(std::string_view text, std::int64_t fallback);

}  // namespace ov
