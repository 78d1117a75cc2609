// Conversions between UTF-8 and the system's ANSI code page (the active code page on
// Windows, Windows-1252 elsewhere). Characters the target cannot hold become "?".
#pragma once

#include <string>
#include <string_view>

namespace ov {

std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);

}  // namespace ov
