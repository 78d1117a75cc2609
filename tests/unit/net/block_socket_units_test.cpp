// Pieces of the blocking socket that need no network: error texts, the exception, the
// throttle's timing and the receive buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "net/block_socket_buffer.h"
#include "net/block_socket_throttle.h"
#include "net/socket_errors.h"

namespace ov {
namespace {

TEST(SocketErrorText, KnownUnknownAndZero) {
  struct Case {
    std::int32_t code;
    const char* text;
  } cases[] = {
      {0, ""},
      {10053, "Software caused connection abort"},
      {10054, "Connection reset by peer"},
      {10055, "No Buffer space available"},
      {10059, "Too many references:can't splice"},
      {10060, "Connection timed out"},
      {10061, "Connection refused"},
      {11001, "Host not found"},
      {11004, "Valid name, no data record of requested type"},
      {12345, "Other Winsock error (12345)"},
      {-1, "Other Winsock error (-1)"},
  };
  for (const Case& c : cases) EXPECT_EQ(GetErrorDesc(c.code), c.text) << c.code;
}

TEST(SocketErrorText, ExceptionCarriesCodeTextAndMessage) {
  ESocketError e = ESocketError::FromCode(10061, "Connection refused");
  EXPECT_EQ(e.ErrorCode, 10061);
  EXPECT_EQ(e.ErrorMessage, "Connection refused");
  EXPECT_STREQ(e.what(), "TCP/IP Socket error 10061: Connection refused");
}

TEST(ThrottleTiming, WaitIsTheSignedDistanceAcrossTheTickWrap) {
  struct Case {
    std::uint32_t now, next, wait;
  } cases[] = {
      {1000, 1500, 500},  // reservation still running
      {1500, 1000, 0},    // reservation over
      {1000, 1000, 0},
      {0xFFFFFF00u, 0x000000F4u, 500},  // reservation ends just after the wrap
      {0x00000005u, 0xFFFFFFF0u, 0},    // stale reservation from before the wrap: no 49-day sleep
      {0x00000010u, 0xFFFFFF00u, 0},
      {0, 0x7FFFFFFFu, 0x7FFFFFFFu},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ThrottleWaitMs(c.now, c.next), c.wait) << c.now << " " << c.next;
  }
}

TEST(ThrottleTiming, ReservationIsLengthOverLimitTruncatedAndWraps) {
  EXPECT_EQ(ThrottleNextTick(1000, 500, 1000), 1500u);
  EXPECT_EQ(ThrottleNextTick(1000, 1, 3), 1333u);  // 333.33 ms truncated
  EXPECT_EQ(ThrottleNextTick(0xFFFFFF00u, 500, 1000), 0x000000F4u);
  EXPECT_EQ(ThrottleNextTick(7, 0, 1000), 7u);
  // A reservation longer than the signed range is capped, so it still reads as "in the future".
  const std::uint32_t next = ThrottleNextTick(100, 0x7FFFFFFF, 1);
  EXPECT_EQ(ThrottleWaitMs(100, next), 0x7FFFFFFFu);
}

TEST(ReceiveBufferTest, ConsumesFromTheFrontAndKeepsOrder) {
  ReceiveBuffer buffer;
  EXPECT_TRUE(buffer.Empty());
  buffer.Append("hello ");
  buffer.Append("world");
  EXPECT_EQ(buffer.Take(3), "hel");
  buffer.Consume(3);
  EXPECT_EQ(buffer.View(), "world");
  buffer.Append("!");
  EXPECT_EQ(buffer.Str(), "world!");
  EXPECT_EQ(buffer.TakeAll(), "world!");
  EXPECT_TRUE(buffer.Empty());
  buffer.Assign("xyz");
  buffer.Consume(10);  // more than held: empties
  EXPECT_EQ(buffer.Size(), 0u);
}

TEST(ReceiveBufferTest, MatchesAPlainStringThroughCompactions) {
  // Small takes and appends against a plain string model, past the compaction threshold.
  ReceiveBuffer buffer;
  std::string model;
  std::string chunk;
  for (int i = 0; i < 4096; ++i) chunk.push_back(static_cast<char>('a' + i % 26));
  for (int round = 0; round < 400; ++round) {
    buffer.Append(chunk);
    model += chunk;
    for (int k = 0; k < 50; ++k) {
      const std::size_t n = static_cast<std::size_t>((round * 7 + k * 13) % 200);
      ASSERT_EQ(buffer.Take(n), model.substr(0, n));
      model.erase(0, std::min(n, model.size()));
    }
    ASSERT_EQ(buffer.Size(), model.size());
  }
  EXPECT_EQ(buffer.TakeAll(), model);
}

}  // namespace
}  // namespace ov
