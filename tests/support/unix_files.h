// Files shared with the Unix programs the tests start as servers (Unix programs in the Windows
// build too): a Unix path as this process names it, and a whole file read back.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace ov::testing {

// The file a Unix path names, as this process names it (Wine shows the Unix root as Z:).
inline std::string LocalPath(const std::string& unix_path) {
#ifdef _WIN32
  return "Z:" + unix_path;
#else
  return unix_path;
#endif
}

// The bytes of the file at `path` (as this process names it); empty when it cannot be read.
inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace ov::testing
