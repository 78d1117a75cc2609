#pragma once
// The installer's file operations through the Win32 API, on UTF-8 paths.

#include "platform/file_system.h"

namespace ov {

class Win32FileSystem : public FileSystem {
 public:
  bool FileExists(const std::string& path) const override;
  bool DirectoryExists(const std::string& path) const override;
  bool CreateDirectories(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  bool DuplicateFile(const std::string& from, const std::string& to, bool overwrite) override;
  int WriteFile(const std::string& path, const std::string& bytes) override;
  std::string TimestampText() const override;
};

}  // namespace ov
