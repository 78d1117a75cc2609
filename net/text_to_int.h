// The one rule by which numbers are read from text everywhere in the program.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace ov {

// Reads a signed 32-bit integer: leading spaces are skipped, then an optional "+" or "-";
// a "$", "x", "X", "0x" or "0X" prefix selects hexadecimal, otherwise the digits are decimal.
// The digits must run to the end of the text. Empty text, any other character (a trailing
// space included), a prefix without digits or a value outside the signed 32-bit range give
// no value.
std::optional<std::int32_t> TextToInt(std::string_view text);

// TextToInt with a default for text that is not a number.
std::int32_t TextToIntDef(std::string_view text, std::int32_t fallback);

}  // namespace ov
