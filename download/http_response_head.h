// Reading the few response header fields the HTTP download driver acts on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ov {

// Value of the first header line named `name` (any case) with a non-empty value, trimmed.
std::optional<std::string> HeaderValue(const std::vector<std::string>& headers,
                                       const std::string& name);
// "Content-Range: bytes 10-20/30" gives first 10 and total 30; "bytes */30" total 30, first -1.
struct ContentRange {
  std::int64_t first = -1;
  std::int64_t total = -1;
};
std::optional<ContentRange> ParseContentRange(const std::string& value);
// The name a "filename=" header line suggests, without quotes and without any folder part;
// empty when there is none or it is unusable ("", ".", "..").
std::string ProbedFileName(const std::vector<std::string>& headers);

}  // namespace ov
