// TFTPDownloader: the download engine over FTP. Server and logon come from the facade's FTP
// settings, the local name from the URL's last path segment; it logs on, asks for the size,
// retrieves the file over the data connection (restarting at the part file's size) whose
// reports drive the engine, and always logs out.
#pragma once

#include <memory>
#include <string>

#include "download/downloader_engine.h"
#include "download/ftp_download_client.h"

namespace ov {

class TFTPDownloader : public TDownloaderEngine {
 public:
  explicit TFTPDownloader(TDownloader* AOwner);
  ~TFTPDownloader() override;

  void StartDownload() override;
  void HandleSocketStatus(TBlockSocket& Sender, THookSocketReason Reason,
                          const std::string& Value) override;

  TDownloaderFTP* FTP = nullptr;  // the facade's settings object, not owned
  TFTPSend& FTPSend() { return *fFTPSend; }

 protected:
  bool TransferComplete(TBlockSocket& Sender) const override;

 private:
  void Transfer();

  std::unique_ptr<FtpDownloadClient> fFTPSend;
  std::string fPath;  // the file's path on the server
};

}  // namespace ov
