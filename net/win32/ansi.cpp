// The ANSI code page on Windows is the process's active code page (CP_ACP).
#include "net/ansi.h"

#include <windows.h>

#include "net/unicode.h"

namespace ov {

std::string AnsiToUtf8(std::string_view ansi) {
  if (ansi.empty()) return std::string();
  if (GetACP() == CP_UTF8) return Narrow(Widen(ansi));
  const int size = static_cast<int>(ansi.size());
  const int count = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
  if (count <= 0) return std::string();
  std::wstring wide(static_cast<std::size_t>(count), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), count);
  return Narrow(wide);
}

namespace {

// No ANSI code page holds a character beyond U+FFFF; it becomes one "?", not one per half.
std::wstring WithoutSurrogatePairs(std::wstring wide) {
  std::wstring out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const bool pair = wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size() &&
                      wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF;
    out += pair ? L'?' : wide[i];
    if (pair) ++i;
  }
  return out;
}

}  // namespace

std::string Utf8ToAnsi(std::string_view utf8) {
  // A system set to UTF-8 as its ANSI code page takes the text as it is (repaired).
  if (GetACP() == CP_UTF8) return Narrow(Widen(utf8));
  const std::wstring wide = WithoutSurrogatePairs(Widen(utf8));
  if (wide.empty()) return std::string();
  // No best-fit guesses: a character the code page lacks becomes "?".
  const DWORD flags = WC_NO_BEST_FIT_CHARS;
  const int size = static_cast<int>(wide.size());
  const int count = WideCharToMultiByte(CP_ACP, flags, wide.data(), size, nullptr, 0, "?", nullptr);
  if (count <= 0) return std::string();
  std::string out(static_cast<std::size_t>(count), '\0');
  WideCharToMultiByte(CP_ACP, flags, wide.data(), size, out.data(), count, "?", nullptr);
  return out;
}

}  // namespace ov
