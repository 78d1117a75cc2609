#include "download/block_receiver.h"

#include <algorithm>
#include <string>

#include "net/block_socket.h"
#include "net/stream.h"

namespace ov {

ReceiveEnd BlockReceiver::TakeBuffered(TBlockSocket& sock, Stream& out, std::int64_t& left) {
  const std::string buffered = sock.LineBuffer();
  if (buffered.empty()) return ReceiveEnd::Complete;
  std::size_t take = buffered.size();
  if (left >= 0) take = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(take)));
  sock.SetLineBuffer(buffered.substr(take));
  if (out.Write(buffered.data(), take) != take) return ReceiveEnd::WriteFailed;
  if (left >= 0) left -= static_cast<std::int64_t>(take);
  return ReceiveEnd::Complete;
}

ReceiveEnd BlockReceiver::Receive(TBlockSocket& sock, Stream& out, std::int64_t count,
                                  std::int32_t timeout) {
  std::int64_t left = count;
  if (TakeBuffered(sock, out, left) == ReceiveEnd::WriteFailed) return ReceiveEnd::WriteFailed;
  const std::int32_t size = sock.MaxRecvBandwidth > 0 ? kThrottledBlock : kBlock;
  if (left != 0 && !block_) block_ = std::make_unique<char[]>(static_cast<std::size_t>(kBlock));
  while (left != 0) {
    if (!sock.CanRead(timeout)) return ReceiveEnd::Closed;
    const std::int32_t want =
        left < 0 ? size : static_cast<std::int32_t>(std::min<std::int64_t>(left, size));
    const std::int32_t got = sock.RecvBuffer(block_.get(), want);
    if (got <= 0) return ReceiveEnd::Closed;
    const auto stored = static_cast<std::size_t>(got);
    if (out.Write(block_.get(), stored) != stored) return ReceiveEnd::WriteFailed;
    if (left > 0) left -= got;
  }
  return ReceiveEnd::Complete;
}

}  // namespace ov
