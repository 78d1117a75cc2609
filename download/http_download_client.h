// HTTP client of the download driver: THTTPSend whose sized bodies are received straight into
// the response stream in blocks of 256 KiB, so throughput is bounded by the network and the disk
// rather than by buffering.
#pragma once

#include <cstdint>

#include "download/block_receiver.h"
#include "protocols/http_send.h"

namespace ov {

class HttpDownloadClient : public THTTPSend {
 public:
  // Content-Length of the body being received (0 while unknown or without one).
  std::int64_t AnnouncedSize() const { return announced_size_; }
  void ForgetAnnouncedSize() { announced_size_ = 0; }

 protected:
  bool ReadBodySized(std::int64_t size) override;

 private:
  std::int64_t announced_size_ = 0;
  BlockReceiver receiver_;
};

}  // namespace ov
