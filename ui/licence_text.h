// Licence agreements are stored as UTF-8 text with LF line ends; a text box wants CR LF.
#pragma once

#include <string>
#include <string_view>

namespace ov {

// Every line break becomes CR LF; the break after the last line is dropped so that the box
// holds exactly the file's lines.
std::string LinesForTextBox(std::string_view text);

}  // namespace ov
