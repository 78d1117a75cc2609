// A fresh temporary folder for download tests, removed with everything in it afterwards, and
// small helpers to read and write whole files in it.
#pragma once

#include <cstdint>
#include <string>

namespace ov::testing {

class DownloadTestFolder {
 public:
  DownloadTestFolder();
  ~DownloadTestFolder();
  DownloadTestFolder(const DownloadTestFolder&) = delete;
  DownloadTestFolder& operator=(const DownloadTestFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const;  // full path of `name` inside
  bool Exists(const std::string& name) const;
  std::string Read(const std::string& name) const;  // whole content, empty when missing
  void Write(const std::string& name, const std::string& bytes) const;
  std::int64_t Size(const std::string& name) const;  // -1 when missing

 private:
  std::string path_;
};

// Deterministic bytes whose value depends on the offset, so shifted or repeated pieces show.
std::string DownloadPattern(std::size_t size, std::size_t offset = 0);

}  // namespace ov::testing
