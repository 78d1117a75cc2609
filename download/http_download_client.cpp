#include "download/http_download_client.h"

#include <algorithm>

#include "net/tcp_block_socket.h"

namespace ov {

bool HttpDownloadClient::ReadBodySized(std::int64_t size) {
  announced_size_ = std::max<std::int64_t>(size, 0);
  if (size <= 0) return true;
  return receiver_.Receive(Sock(), ResponseStream(), size, Timeout) == ReceiveEnd::Complete;
}

}  // namespace ov
