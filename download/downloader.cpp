#include "download/downloader.h"

#include "download/ftp_downloader.h"
#include "download/http_downloader.h"

namespace ov {
namespace {

// Marks the facade busy for the length of one start.
class RunningScope {
 public:
  explicit RunningScope(bool& running) : running_(running) { running_ = true; }
  ~RunningScope() { running_ = false; }
  RunningScope(const RunningScope&) = delete;
  RunningScope& operator=(const RunningScope&) = delete;

 private:
  bool& running_;
};

}  // namespace

TDownloader::TDownloader() {
  fDown = std::make_unique<TDownloaderEngine>(this);
  fProxy = std::make_unique<TDownloaderProxy>();
  fFTP = std::make_unique<TDownloaderFTP>();
  fDown->Proxy = fProxy.get();
}

TDownloader::~TDownloader() {
  // The driver goes first: it closes its connection and part file.
  fDown.reset();
}

void TDownloader::SetDownloadDest(const std::string& value) {
  fDownloadDest = value;
  fDown->DownloadDest = value;
}

void TDownloader::SetDownloadUrl(const std::string& value) {
  fDownloadUrl = value;
  fDown->DownloadUrl = value;
}

void TDownloader::SetDownloadNomeArq(const std::string& value) {
  fDownloadNomeArq = value;
  fDown->DownloadNomeArq = value;
}

void TDownloader::SetDownloadStatus(TDownloadStatus value) {
  fDownloadStatus = value;
  fDown->SetDownloadStatus(value);
}

void TDownloader::SetSizeRecvBuffer(std::int32_t value) {
  fSizeRecvBuffer = value;
  fDown->SetSizeRecvBuffer(value);
}

void TDownloader::SetOnBeforeDownload(TDownloaderBeforeDownload handler) {
  fOnBeforeDownload = handler;
  fDown->OnBeforeDownload = std::move(handler);
}

void TDownloader::SetOnHookStatus(TDownloaderHookStatus handler) {
  fOnHookStatus = handler;
  fDown->OnHookStatus = std::move(handler);
}

void TDownloader::SetOnDownloadStatus(TDownloaderStatusEvent handler) {
  fOnDownloadStatus = handler;
  fDown->OnDownloadStatus = std::move(handler);
}

void TDownloader::SetOnAfterDownload(TDownloaderAfterDownload handler) {
  fOnAfterDownload = handler;
  fDown->OnAfterDownload = std::move(handler);
}

void TDownloader::SetOnHookMonitor(TDownloaderHookMonitor handler) {
  fOnHookMonitor = handler;
  fDown->OnHookMonitor = std::move(handler);
}

void TDownloader::StartDownload() {
  if (fProtocolo == protNenhum) {
    throw EDownloadError("Antes de iniciar o download, defina o protocolo a ser usado HTTP ou FTP!");
  }
  // Replacing the driver now would free the one whose event handler is calling us.
  if (fRunning) {
    throw EDownloadError("Um download já está em andamento; aguarde o seu término.");
  }
  fDown.reset();
  if (fProtocolo == protFTP) {
    fDown = std::make_unique<TFTPDownloader>(this);
  } else {
    fDown = std::make_unique<THTTPDownloader>(this);
  }
  fDownloadStatus = stDownload;
  RunningScope running(fRunning);
  fDown->StartDownload();
}

}  // namespace ov
