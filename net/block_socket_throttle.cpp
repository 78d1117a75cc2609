#include "net/block_socket_throttle.h"

#include <cmath>

namespace ov {

std::uint32_t ThrottleWaitMs(std::uint32_t now, std::uint32_t next) {
  const auto distance = static_cast<std::int32_t>(next - now);
  return distance > 0 ? static_cast<std::uint32_t>(distance) : 0;
}

std::uint32_t ThrottleNextTick(std::uint32_t now, std::int64_t length, std::int32_t limit) {
  if (limit <= 0 || length <= 0) return now;
  const double duration =
      std::trunc(static_cast<double>(length) / static_cast<double>(limit) * 1000.0);
  constexpr double kMaxDuration = 2147483647.0;
  const auto ms = static_cast<std::uint32_t>(duration < kMaxDuration ? duration : kMaxDuration);
  return now + ms;
}

}  // namespace ov
