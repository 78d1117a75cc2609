#include "support/download_test_folder.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace ov::testing {
namespace fs = std::filesystem;

DownloadTestFolder::DownloadTestFolder() {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const fs::path folder = fs::temp_directory_path() /
                          ("ov-download-" + std::to_string(stamp) + "-" +
                           std::to_string(counter.fetch_add(1)));
  fs::create_directories(folder);
  path_ = folder.string();
}

DownloadTestFolder::~DownloadTestFolder() {
  std::error_code error;
  fs::remove_all(path_, error);
}

std::string DownloadTestFolder::File(const std::string& name) const {
  return (fs::path(path_) / name).string();
}

bool DownloadTestFolder::Exists(const std::string& name) const { return fs::exists(File(name)); }

std::string DownloadTestFolder::Read(const std::string& name) const {
  std::ifstream in(File(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void DownloadTestFolder::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream(File(name), std::ios::binary | std::ios::trunc) << bytes;
}

std::int64_t DownloadTestFolder::Size(const std::string& name) const {
  std::error_code error;
  const auto size = fs::file_size(File(name), error);
  return error ? -1 : static_cast<std::int64_t>(size);
}

std::string DownloadPattern(std::size_t size, std::size_t offset) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    const std::size_t at = i + offset;
    bytes[i] = static_cast<char>('a' + (at * 7 + at / 26) % 26);
  }
  return bytes;
}

}  // namespace ov::testing
