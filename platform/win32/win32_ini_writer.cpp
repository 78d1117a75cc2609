#include "platform/win32/win32_ini_writer.h"

#include <windows.h>

#include "net/unicode.h"

namespace ov {

std::string Win32IniWriter::WriteString(const std::string& file, const std::string& section,
                                        const std::string& key, const std::string& value) {
  const std::wstring path = Widen(file);
  if (!WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(value).c_str(),
                                  path.c_str())) {
    return "Unable to write to " + file;
  }
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());  // flush the cached file now
  return {};
}

}  // namespace ov
