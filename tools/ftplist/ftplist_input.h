// Reading a listing from a byte stream the way the FTP client reads its data connection.
#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace ov {

// Splits bytes into lines at CR LF, LF or CR. The text is decoded from the ANSI code page
// unless it starts with a UTF-8 byte-order mark or `utf8` is set.
std::vector<std::string> ListingLinesFromBytes(std::string_view bytes, bool utf8);

std::string ReadAllBytes(std::istream& in);

}  // namespace ov
