#pragma once
// Shell links (.lnk files).

#include <string>

namespace ov {

struct ShortcutResult {
  enum class Status { Saved, ObjectFailed, SaveFailed };
  Status State = Status::Saved;
  std::string Error;  // what failed, empty when Saved
};

class ShortcutMaker {
 public:
  virtual ~ShortcutMaker() = default;
  // Saves a link at `link_path` to `target` with the given arguments and working folder.
  virtual ShortcutResult SaveLink(const std::string& link_path, const std::string& target,
                                  const std::string& arguments, const std::string& working_dir) = 0;
};

}  // namespace ov
