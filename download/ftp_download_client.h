// FTP client of the download driver: TFTPSend plus a retrieval that restarts at a given
// offset of the local part file and stores the data in a stream of the caller's.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "protocols/ftp_send.h"

namespace ov {

class FtpDownloadClient : public TFTPSend {
 public:
  // RETR `path` into `destination`, asking first for a restart at `offset` when it is above 0.
  // When the server cannot restart there, `restart_from_zero` runs and the whole file comes.
  bool RetrieveFrom(const std::string& path, std::int64_t offset, Stream& destination,
                    const std::function<void()>& restart_from_zero);
};

}  // namespace ov
