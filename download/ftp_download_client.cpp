#include "download/ftp_download_client.h"

#include "net/tcp_block_socket.h"

namespace ov {
namespace {

// Closes the data socket when the transfer leaves, by any path.
class DataSocketGuard {
 public:
  explicit DataSocketGuard(TTCPBlockSocket& socket) : socket_(socket) {}
  ~DataSocketGuard() { socket_.CloseSocket(); }
  DataSocketGuard(const DataSocketGuard&) = delete;
  DataSocketGuard& operator=(const DataSocketGuard&) = delete;

 private:
  TTCPBlockSocket& socket_;
};

}  // namespace

bool FtpDownloadClient::DataRead(Stream& DestStream) {
  if (DSock().SSL().SSLEnabled()) return TFTPSend::DataRead(DestStream);
  DataSocketGuard guard(DSock());
  if (!AcceptData()) return false;
  const bool stored = ReceiveData(DestStream);
  DSock().CloseSocket();
  ReadResult();
  return stored && ResultCode() / 100 == 2;
}

bool FtpDownloadClient::ReceiveData(Stream& destination) {
  // The data connection's end is the end of the file.
  return receiver_.Receive(DSock(), destination, -1, Timeout) != ReceiveEnd::WriteFailed;
}

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
