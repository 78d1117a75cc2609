#include "support/requirements.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace ov::testing {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool IsProgram(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

bool RunningInCi() {
  const std::string ci = Env("CI");
  return ci == "true" || ci == "1";
}

std::string SourceDir() {
  const std::string dir = Env("OV_SOURCE_DIR");
  return dir.empty() ? "." : dir;
}

std::string FindProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return IsProgram(name) ? name : "";
#ifdef _WIN32
  const char separator = ';';
#else
  const char separator = ':';
#endif
  std::istringstream path(Env("PATH"));
  std::string dir;
  while (std::getline(path, dir, separator)) {
    if (!dir.empty() && IsProgram(std::filesystem::path(dir) / name)) {
      return (std::filesystem::path(dir) / name).string();
    }
  }
  // System daemons live outside a user's PATH; two FTP servers are unpacked into .deps.
  for (const std::string& candidate :
       {SourceDir() + "/.deps/root/usr/sbin/" + name, SourceDir() + "/.deps/root/usr/bin/" + name,
        "/usr/sbin/" + name}) {
    if (IsProgram(candidate)) return candidate;
  }
  return "";
}

}  // namespace ov::testing
