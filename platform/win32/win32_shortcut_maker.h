#pragma once
// Shell links through the shell-link COM object (COM must be initialised on the thread).

#include "platform/shortcut_maker.h"

namespace ov {

class Win32ShortcutMaker : public ShortcutMaker {
 public:
  ShortcutResult SaveLink(const std::string& link_path, const std::string& target,
                          const std::string& arguments, const std::string& working_dir) override;
};

}  // namespace ov
