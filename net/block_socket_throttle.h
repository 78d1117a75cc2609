// Timing of the per-direction bandwidth limit: each transfer reserves length/limit seconds and
// the next transfer in that direction waits until the reservation has run out.
#pragma once

#include <cstdint>

namespace ov {

// Milliseconds still to wait at tick `now` for a reservation that ends at tick `next`; 0 when
// it has run out. Uses the signed distance between the ticks, so a wrap of the 32-bit
// counter (every 49.7 days) never turns a stale reservation into a sleep of weeks.
std::uint32_t ThrottleWaitMs(std::uint32_t now, std::uint32_t next);

// Tick at which the reservation of `length` bytes at `limit` bytes per second, starting at
// `now`, ends: now + trunc(length / limit * 1000), the duration capped at 2^31 - 1 ms.
std::uint32_t ThrottleNextTick(std::uint32_t now, std::int64_t length, std::int32_t limit);

}  // namespace ov
