// The receive loop shared by the HTTP and FTP drivers: bytes go from the socket straight into
// the destination stream in large blocks. Large blocks matter: every block costs a readiness
// wait, a receive, a write to the part file and a progress event, and with 32 KiB blocks those
// calls, not the copying, took most of a loopback download's time.
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
  static constexpr std::int32_t kBlock = 1024 * 1024;
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
