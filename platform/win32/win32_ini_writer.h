#pragma once
// INI files through the profile API, flushed to disk after every write.

#include "platform/ini_writer.h"

namespace ov {

class Win32IniWriter : public IniWriter {
 public:
  std::string WriteString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& value) override;
};

}  // namespace ov
