// The ANSI code page on Windows is the process's active code page (CP_ACP).
#include "net/ansi.h"

#include <windows.h>

#include "net/unicode.h"

namespace ov {

std::string AnsiToUtf8(std::string_view ansi) {
  if (ansi.empty()) return std::string();
  const int size = static_cast<int>(ansi.size());
  const int count = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
  if (count <= 0) return std::string();
  std::wstring wide(static_cast<std::size_t>(count), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), count);
  return Narrow(wide);
}

std::string Utf8ToAnsi(std::string_view utf8) {
  const std::wstring wide = Widen(utf8);
  if (wide.empty()) return std::string();
  // No best-fit guesses: a character the code page lacks becomes "?".
  const DWORD flags = WC_NO_BEST_FIT_CHARS;
  const int size = static_cast<int>(wide.size());
  const int count =
      WideCharToMultiByte(CP_ACP, flags, wide.data(), size, nullptr, 0, "?", nullptr);
  if (count <= 0) return std::string();
  std::string out(static_cast<std::size_t>(count), '\0');
  WideCharToMultiByte(CP_ACP, flags, wide.data(), size, out.data(), count, "?", nullptr);
  return out;
}

}  // namespace ov
