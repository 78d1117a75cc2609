#include "download/part_file_ops.h"

#include <chrono>
#include <filesystem>
#include <system_error>
#include <thread>

namespace ov {
namespace {

constexpr int kReplaceAttempts = 20;
constexpr auto kReplacePause = std::chrono::milliseconds(50);

std::filesystem::path Utf8Path(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

std::string PathInFolder(const std::string& folder, const std::string& name) {
#ifdef _WIN32
  constexpr char kSeparator = '\\';
#else
  constexpr char kSeparator = '/';
#endif
  if (folder.empty() || folder.back() == '/' || folder.back() == '\\') return folder + name;
  return folder + kSeparator + name;
}

bool PathExists(const std::string& utf8_path) {
  std::error_code error;
  return std::filesystem::exists(Utf8Path(utf8_path), error);
}

bool RemoveFileIfPresent(const std::string& utf8_path) {
  std::error_code error;
  std::filesystem::remove(Utf8Path(utf8_path), error);
  return !PathExists(utf8_path);
}

bool ReplaceFile(const std::string& from, const std::string& to) {
  for (int attempt = 0; attempt < kReplaceAttempts; ++attempt) {
    std::error_code error;
    std::filesystem::rename(Utf8Path(from), Utf8Path(to), error);
    if (!error) return true;
    if (!PathExists(from)) return false;
    std::this_thread::sleep_for(kReplacePause);
  }
  return false;
}

}  // namespace ov
