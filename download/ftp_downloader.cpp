#include "download/ftp_downloader.h"

#include "download/downloader.h"
#include "download/url_reference.h"
#include "net/tcp_block_socket.h"
#include "net/text_utils.h"

namespace ov {

TFTPDownloader::TFTPDownloader(TDownloader* AOwner)
    : TDownloaderEngine(AOwner), fFTPSend(std::make_unique<FtpDownloadClient>()) {
  AttachSocket(fFTPSend->DSock());
  FTP = AOwner->FTPSettings();
}

TFTPDownloader::~TFTPDownloader() {
  DetachSocket();
  FTP = nullptr;
  fFTPSend.reset();
}

void TFTPDownloader::StartDownload() {
  if (fFilePart.empty() && fDownloadStatus != stRedirect) {
    fPath = SplitUrl(DownloadUrl).Path;
    if (FTP != nullptr) {
      fFTPSend->TargetHost = FTP->FtpHost;
      fFTPSend->TargetPort = FTP->FtpPort;
      fFTPSend->UserName = FTP->FtpUser;
      fFTPSend->Password = FTP->FtpPass;
      fFTPSend->Timeout = FTP->FtpTimeout;
    }
    fFilePart = LastPathSegment(fPath);
    if (!fFilePart.empty()) fFilePart += ".part";
  }
  try {
    Transfer();
  } catch (...) {
    fFTPSend->Logout();
    throw;
  }
  fFTPSend->Logout();
}

void TFTPDownloader::Transfer() {
  if (!fFTPSend->Login()) throw EDownloadError("Não foi possível efetuar o login!");
  if (fFilePart.empty()) throw EDownloadError("File To Save not found");
  OpenPartFile();
  fFTPSend->DirectFileName = fFilePart;
  fFTPSend->DirectFile = false;
  const std::int64_t size = fFTPSend->FileSize(fPath);
  // What this transfer brings: the rest after the part file, when the server can restart.
  fDownloadSize = size > 0 && fBytesResumed > 0 && fFTPSend->CanResume()
                      ? std::max<std::int64_t>(0, size - fBytesResumed)
                      : size;
  if (OnBeforeDownload) OnBeforeDownload(*this);
  fFTPSend->RetrieveFrom(fPath, fBytesResumed, fDocument, [this, size] {
    fDownloadSize = size;
    RestartPartFile();
  });
  ClosePartFile();
  RaisePendingError();
  if (OnAfterDownload) OnAfterDownload(*this);
}

void TFTPDownloader::HandleSocketStatus(TBlockSocket& Sender, THookSocketReason Reason,
                                        const std::string& Value) {
  fResultCode = fFTPSend->ResultCode();
  // The passive set-up closes the data socket right after the 227 (or 229) reply: no transfer
  // ended there.
  if (Reason == HR_SocketClose && (fResultCode == 227 || fResultCode == 229)) return;
  TDownloaderEngine::HandleSocketStatus(Sender, Reason, Value);
}

bool TFTPDownloader::TransferComplete(TBlockSocket&) const {
  if (fDiscardBody) return false;
  return fDownloadSize <= 0 || fDocument.Size() == fDownloadSize;
}

}  // namespace ov
