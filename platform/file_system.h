#pragma once
// The few file-system operations the installer needs, on UTF-8 paths.

#include <string>

namespace ov {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool FileExists(const std::string& path) const = 0;
  virtual bool DirectoryExists(const std::string& path) const = 0;
  // Creates the folder with any missing parents; true when it exists afterwards.
  virtual bool CreateDirectories(const std::string& path) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  // Copies a file, replacing `to` only when `overwrite`; true on success.
  virtual bool DuplicateFile(const std::string& from, const std::string& to, bool overwrite) = 0;
  // Creates or truncates `path` and writes `bytes`. Returns 0 or a Windows-style I/O error code
  // (2 not found, 3 bad path or missing folder, 4 too many files, 5 access denied, 101 disk full).
  virtual int WriteFile(const std::string& path, const std::string& bytes) = 0;
  // Local wall-clock time as "YYYYMMDD-HHMMSS", for names of backup copies.
  virtual std::string TimestampText() const = 0;
};

}  // namespace ov
