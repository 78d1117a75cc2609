// File-system steps of a finished download, on UTF-8 paths: existence, deletion and the
// one-step replacement of the final file by the part file.
#pragma once

#include <string>

namespace ov {

// `name` inside `folder`: the folder gets the platform's separator unless it ends in "/" or
// "\" already (an empty folder leaves the name relative).
std::string PathInFolder(const std::string& folder, const std::string& name);
bool PathExists(const std::string& utf8_path);
// True when the file is gone afterwards (also when it never existed).
bool RemoveFileIfPresent(const std::string& utf8_path);
// Moves `from` onto `to`, replacing an existing `to` in one step; retries for a short while
// when another program holds one of the files open.
bool ReplaceFile(const std::string& from, const std::string& to);

}  // namespace ov
