#include "installer/downloader_adapter.h"

#include <exception>

namespace ov {

std::string TDownloaderFileDownloader::Download(const std::string& url, const std::string& folder,
                                                const std::string& name) {
  try {
    downloader_.SetProtocolo(protHTTP);
    downloader_.SetDownloadDest(folder);
    TDownloaderProxy& proxy = downloader_.Proxy();
    proxy.ProxyHost.clear();
    proxy.ProxyPort.clear();
    proxy.ProxyUser.clear();
    proxy.ProxyPass.clear();
    downloader_.SetDownloadUrl(url);
    downloader_.SetDownloadNomeArq(name);
    downloader_.StartDownload();
    return {};
  } catch (const std::exception& error) {
    return error.what();
  }
}

void TDownloaderFileDownloader::Pause() {
  const TDownloadStatus status = downloader_.DownloadStatus();
  if (status == stDownload || status == stResume || status == stRedirect) {
    downloader_.SetDownloadStatus(stPause);
  }
}

}  // namespace ov
