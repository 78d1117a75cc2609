// The installation sequence's download interface over the real download component: every call
// goes out by HTTP, directly (no proxy), and the component's raised errors become texts.
#pragma once

#include <string>

#include "download/downloader.h"
#include "installer/file_downloader.h"

namespace ov {

class TDownloaderFileDownloader : public FileDownloader {
 public:
  // The component must outlive the adapter; its events stay as the caller set them.
  explicit TDownloaderFileDownloader(TDownloader& downloader) : downloader_(downloader) {}

  std::string Download(const std::string& url, const std::string& folder,
                       const std::string& name) override;
  void Pause() override;

 private:
  TDownloader& downloader_;
};

}  // namespace ov
