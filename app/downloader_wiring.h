// Connects the window's download component to the window: progress events go to the presenter,
// and the presenter reads the component's status to tell a pause from a finished transfer.
#pragma once

#include "download/downloader.h"
#include "ui/downloader_state.h"
#include "ui/principal.h"

namespace ov::app {

inline void ConnectDownloader(TDownloader& downloader, TFPrincipal& form) {
  downloader.SetOnHookStatus([&form](TBlockSocket& sender, THookSocketReason reason,
                                     std::int32_t to_download, std::int32_t downloaded) {
    form.DownloaderHookStatus(&sender, reason, to_download, downloaded);
  });
  downloader.SetOnHookMonitor([&form](TBlockSocket& sender, std::int32_t to_download,
                                      std::int32_t downloaded, double speed, std::uint16_t hour,
                                      std::uint16_t min, std::uint16_t sec) {
    form.DownloaderHookMonitor(&sender, to_download, downloaded, speed, hour, min, sec);
  });
  form.SetDownloaderStatusQuery(
      [&downloader] { return static_cast<DownloaderState>(downloader.DownloadStatus()); });
}

}  // namespace ov::app
