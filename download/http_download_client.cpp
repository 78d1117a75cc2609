#include "download/http_download_client.h"

#include <algorithm>

#include "net/tcp_block_socket.h"

namespace ov {

bool HttpDownloadClient::ReadBodySized(std::int64_t size) {
  announced_size_ = std::max<std::int64_t>(size, 0);
  if (size <= 0) return true;
  Stream& out = ResponseStream();
  TTCPBlockSocket& sock = Sock();
  std::int64_t left = size;
  // Body bytes that came with the head are already buffered.
  std::string pending = sock.LineBuffer();
  if (!pending.empty()) {
    const auto take = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(pending.size())));
    if (out.Write(pending.data(), take) != take) return false;
    sock.SetLineBuffer(pending.substr(take));
    left -= static_cast<std::int64_t>(take);
  }
  if (left > 0 && block_.size() != kBlock) block_.assign(kBlock, '\0');
  while (left > 0) {
    if (!sock.CanRead(Timeout)) return false;
    const auto want = static_cast<std::int32_t>(std::min<std::int64_t>(left, kBlock));
    const std::int32_t got = sock.RecvBuffer(block_.data(), want);
    if (got <= 0) return false;
    const auto count = static_cast<std::size_t>(got);
    if (out.Write(block_.data(), count) != count) return false;  // disk full
    left -= got;
  }
  std::string().swap(block_);
  return true;
}

}  // namespace ov
