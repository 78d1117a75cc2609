// UTF-8 <-> wide text for system calls (UTF-16 where wchar_t has 2 bytes, UTF-32 elsewhere).
// Invalid input is never fatal: each bad sequence becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace ov {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace ov
