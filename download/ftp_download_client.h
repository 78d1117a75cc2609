// FTP client of the download driver: TFTPSend plus a retrieval that restarts at a given
// offset of the local part file and stores the data in a stream of the caller's.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "download/block_receiver.h"
#include "protocols/ftp_send.h"

namespace ov {

class FtpDownloadClient : public TFTPSend {
 public:
  // Receives the data connection into `DestStream` in large blocks; true when every byte
  // was stored and the closing reply is 2xx.
  bool DataRead(Stream& DestStream) override;

  // RETR `path` into `destination`, asking first for a restart at `offset` when it is above 0.
  // When the server cannot restart there, `restart_from_zero` runs and the whole file comes.
  bool RetrieveFrom(const std::string& path, std::int64_t offset, Stream& destination,
                    const std::function<void()>& restart_from_zero);

 private:
  bool ReceiveData(Stream& destination);

  BlockReceiver receiver_;
};

}  // namespace ov
