// Listing lines are matched one character at a time. These convert UTF-8 text to characters
// (code points) and back; a byte that is not valid UTF-8 becomes a stand-in character that
// turns back into the same byte, so no listing byte is lost on the way.
#pragma once

#include <string>
#include <string_view>

namespace ov {

std::u32string ListTextToChars(std::string_view utf8);
std::string ListCharsToText(std::u32string_view chars);
void AppendListChar(std::string& utf8, char32_t c);

// Number of characters (not bytes) in UTF-8 text.
std::size_t ListTextLength(std::string_view utf8);

}  // namespace ov
