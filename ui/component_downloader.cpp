#include "ui/component_downloader.h"

namespace ov {

ComponentDownloader::ComponentDownloader(TFPrincipal& form) {
  downloader_.SetSizeRecvBuffer(0);
  downloader_.Proxy().ProxyTimeout = 90000;
  downloader_.FTP().FtpTimeout = 300000;
  downloader_.SetProtocolo(protHTTP);
  downloader_.SetOnHookStatus([&form](TBlockSocket& sender, THookSocketReason reason,
                                      std::int32_t to_download, std::int32_t downloaded) {
    form.DownloaderHookStatus(&sender, reason, to_download, downloaded);
  });
  downloader_.SetOnHookMonitor([&form](TBlockSocket& sender, std::int32_t to_download,
                                       std::int32_t downloaded, double speed, std::uint16_t hour,
                                       std::uint16_t min, std::uint16_t sec) {
    form.DownloaderHookMonitor(&sender, to_download, downloaded, speed, hour, min, sec);
  });
  form.SetDownloaderStatusQuery(
      [this] { return static_cast<DownloaderState>(downloader_.DownloadStatus()); });
}

std::string ComponentDownloader::Download(const std::string& url, const std::string& folder,
                                          const std::string& name) {
  downloader_.SetDownloadUrl(url);
  downloader_.SetDownloadDest(folder);
  downloader_.SetDownloadNomeArq(name);
  try {
    downloader_.StartDownload();
  } catch (const EDownloadError& error) {
    return error.what();
  }
  return {};
}

void ComponentDownloader::Pause() { downloader_.SetDownloadStatus(stPause); }

}  // namespace ov
