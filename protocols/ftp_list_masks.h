// The listing layouts recognised out of the box, in the order they are tried.
#pragma once

#include <string>
#include <vector>

namespace ov {

// The 54 built-in masks (UTF-8; the last character of mask 52 is the section sign).
const std::vector<std::string>& BuiltInListMasks();

}  // namespace ov
