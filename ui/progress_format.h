// Texts of the download progress line, formatted with the user's number separators.
#pragma once

#include <cstdint>
#include <string>

namespace ov {

// The locale's separators as read once at program start ("," and "." for English).
struct NumberSeparators {
  std::string thousands = ",";
  std::string decimal = ".";
};

// A number rounded to a whole one, digits grouped by thousands, at least one digit.
std::string FormatGroupedWhole(double value, const NumberSeparators& separators);
// A number with two decimals, no grouping.
std::string FormatTwoDecimals(double value, const NumberSeparators& separators);
// Whole seconds as hh:mm:ss, each part at least two digits.
std::string FormatDuration(std::uint32_t seconds);

// "<done> / <total> KB  -  <speed> KB/s  -  <hh:mm:ss>"
std::string FormatProgressLine(std::int32_t bytes_to_download, std::int32_t bytes_downloaded,
                               double average_speed_kb, std::uint16_t seconds,
                               const NumberSeparators& separators);

}  // namespace ov
