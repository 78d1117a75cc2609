#pragma once
// Shell links (.lnk files).

#include <string>

namespace ov {

class ShortcutMaker {
 public:
  virtual ~ShortcutMaker() = default;
  // Saves a link at `link_path` to `target`. Returns an empty text on success, else what failed
  // (creating the link object, or saving it).
  virtual std::string SaveLink(const std::string& link_path, const std::string& target, const std::string& arguments,
                               const std::string& working_dir) = 0;
};

}  // namespace ov
