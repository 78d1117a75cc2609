// The application's title, used as the caption of its message boxes.
#pragma once

#include <string>
#include <string_view>

namespace ov {

// The executable's file name (any folder part dropped) up to its first dot, every character
// after the first in lower case: "C:\x\INSTALADOR.EXE" gives "Instalador".
std::string ApplicationTitle(std::string_view executable_path);

}  // namespace ov
