#pragma once
// Writing one key of an INI file; other sections and keys stay as they are.

#include <string>

namespace ov {

class IniWriter {
 public:
  virtual ~IniWriter() = default;
  // Sets [section] key=value in `file` (created when missing), on disk when this returns.
  // Empty text on success, else "Unable to write to <file>".
  virtual std::string WriteString(const std::string& file, const std::string& section,
                                  const std::string& key, const std::string& value) = 0;
};

}  // namespace ov
