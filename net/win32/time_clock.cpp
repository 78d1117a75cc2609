#include <windows.h>

#include "net/time_utils.h"

namespace ov {

// Counter ÷ frequency × 1000, truncated, low 32 bits; the tick count since boot when the
// high-resolution counter is not available.
std::uint32_t MillisecondTick() {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER counter{};
  if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0 &&
      QueryPerformanceCounter(&counter)) {
    const auto freq = static_cast<std::uint64_t>(frequency.QuadPart);
    const auto count = static_cast<std::uint64_t>(counter.QuadPart);
    const std::uint64_t ms = count / freq * 1000u + count % freq * 1000u / freq;
    return static_cast<std::uint32_t>(ms);
  }
  return GetTickCount();
}

}  // namespace ov
