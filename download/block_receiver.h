// The receive loop shared by the HTTP and FTP drivers: bytes go from the socket straight into
// the destination stream in blocks of 256 KiB. Every block costs a readiness wait, a receive, a
// write to the part file and a progress event: with 32 KiB blocks those calls took most of a
// loopback download's time. Much larger blocks cost more again: a block that no longer fits in
// the processor's cache next to the data being copied makes both copies (socket to block,
// block to file) go through main memory.
#pragma once

#include <cstdint>
#include <memory>

namespace ov {

class Stream;
class TBlockSocket;

enum class ReceiveEnd {
  Complete,     // the requested count arrived
  Closed,       // the peer closed, the wait timed out or the receive failed first
  WriteFailed,  // the destination took fewer bytes than offered (disk full)
};

class BlockReceiver {
 public:
  // One block in memory per transfer; allocated on first use, freed when the receiver goes.
  static constexpr std::int32_t kBlock = 256 * 1024;
  // With a bandwidth limit the socket sleeps per call; small calls keep that smooth.
  static constexpr std::int32_t kThrottledBlock = 16 * 1024;

  // Moves bytes the socket already buffered (body bytes that came with a reply head, or what
  // a proxy handshake left) and then received ones into `out`: `count` bytes, or with a
  // negative count everything until the peer closes. Each wait lasts at most `timeout` ms.
  ReceiveEnd Receive(TBlockSocket& sock, Stream& out, std::int64_t count, std::int32_t timeout);

 private:
  ReceiveEnd TakeBuffered(TBlockSocket& sock, Stream& out, std::int64_t& left);

  std::unique_ptr<char[]> block_;
};

}  // namespace ov
