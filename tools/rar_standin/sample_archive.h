// Reader of the sample archives that stand in for RAR archives in tests and the demo.
// Layout: the line "OVPK1", then per file the line "F <size> <relative\name>" followed by
// exactly <size> bytes, and finally the line "E"; every line ends with LF. Anything else, a
// short file included, is refused as a whole before a single file is written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ov::standin {

struct ArchiveEntry {
  std::string Name;  // relative path, backslash-separated, UTF-8
  std::string Data;
};

// The entries, or nullopt with `error` set when the bytes are no complete archive.
std::optional<std::vector<ArchiveEntry>> ParseSampleArchive(const std::string& bytes,
                                                           std::string& error);

}  // namespace ov::standin
