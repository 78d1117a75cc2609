#include "ui/progress_format.h"

#include <cmath>
#include <cstdio>

namespace ov {

std::string FormatGroupedWhole(double value, const NumberSeparators& separators) {
  const double rounded = std::round(value);  // halves away from zero
  const bool negative = rounded < 0;
  const std::string digits = std::to_string(static_cast<long long>(std::fabs(rounded)));
  std::string out;
  if (negative) out += '-';
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += separators.thousands;
    out += digits[i];
  }
  return out;
}

std::string FormatTwoDecimals(double value, const NumberSeparators& separators) {
  if (!std::isfinite(value)) value = 0;  // a speed figure that is not a number shows as zero
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.2f", value);
  std::string text = buffer;
  const auto point = text.find('.');
  if (point != std::string::npos) text.replace(point, 1, separators.decimal);
  return text;
}

std::string FormatDuration(std::uint32_t seconds) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2u:%.2u:%.2u", static_cast<unsigned>(seconds / 3600),
                static_cast<unsigned>((seconds / 60) % 60), static_cast<unsigned>(seconds % 60));
  return buffer;
}

std::string FormatProgressLine(std::int32_t bytes_to_download, std::int32_t bytes_downloaded,
                               double average_speed_kb, std::uint16_t seconds,
                               const NumberSeparators& separators) {
  return FormatGroupedWhole(bytes_downloaded / 1024.0, separators) + " / " +
         FormatGroupedWhole(bytes_to_download / 1024.0, separators) + " KB  -  " +
         FormatTwoDecimals(average_speed_kb, separators) + " KB/s  -  " + FormatDuration(seconds);
}

}  // namespace ov
