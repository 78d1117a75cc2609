#include "tools/rar_standin/sample_archive.h"

#include <charconv>

namespace ov::standin {
namespace {

bool ReadLine(const std::string& bytes, std::size_t& pos, std::string& line) {
  const std::size_t end = bytes.find('\n', pos);
  if (end == std::string::npos) return false;
  line = bytes.substr(pos, end - pos);
  pos = end + 1;
  return true;
}

bool SafeName(const std::string& name) {
  if (name.empty() || name[0] == '\\' || name[0] == '/' || name.find(':') != std::string::npos)
    return false;
  return name.find("..") == std::string::npos;
}

}  // namespace

std::optional<std::vector<ArchiveEntry>> ParseSampleArchive(const std::string& bytes,
                                                           std::string& error) {
  std::size_t pos = 0;
  std::string line;
  if (!ReadLine(bytes, pos, line) || line != "OVPK1") {
    error = "not a sample archive";
    return std::nullopt;
  }
  std::vector<ArchiveEntry> entries;
  while (ReadLine(bytes, pos, line)) {
    if (line == "E") return entries;
    std::uint64_t size = 0;
    const std::size_t space = line.find(' ', 2);
    if (line.rfind("F ", 0) != 0 || space == std::string::npos ||
        std::from_chars(line.data() + 2, line.data() + space, size).ec != std::errc{}) {
      error = "bad entry line";
      return std::nullopt;
    }
    ArchiveEntry entry{line.substr(space + 1), {}};
    if (!SafeName(entry.Name)) {
      error = "unsafe entry name " + entry.Name;
      return std::nullopt;
    }
    if (bytes.size() - pos < size) {
      error = "archive is truncated in " + entry.Name;
      return std::nullopt;
    }
    entry.Data = bytes.substr(pos, static_cast<std::size_t>(size));
    pos += static_cast<std::size_t>(size);
    entries.push_back(std::move(entry));
  }
  error = "archive is truncated (no end mark)";
  return std::nullopt;
}

}  // namespace ov::standin
