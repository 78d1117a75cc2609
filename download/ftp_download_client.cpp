#include "download/ftp_download_client.h"

namespace ov {

bool FtpDownloadClient::RetrieveFrom(const std::string& path, std::int64_t offset,
                                     Stream& destination,
                                     const std::function<void()>& restart_from_zero) {
  if (path.empty() || !PrepareData()) return false;
  FTPCommand(BinaryMode ? "TYPE I" : "TYPE A");
  if (offset > 0) {
    const bool restarted = CanResume() && FTPCommand("REST " + std::to_string(offset)) / 100 == 3;
    if (!restarted) restart_from_zero();
  }
  if (FTPCommand("RETR " + path) / 100 != 1) {
    DSock().CloseSocket();
    return false;
  }
  return DataRead(destination);
}

}  // namespace ov
