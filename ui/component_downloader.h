// The window's download component as the installation workflow uses it: one TDownloader set
// up as the window has it (HTTP, proxy time-out 90 s, FTP time-out 300 s), its progress
// events shown by the window's presenter, and a pause that keeps the ".part" for a later run.
#pragma once

#include <string>

#include "download/downloader.h"
#include "installer/file_downloader.h"
#include "ui/principal.h"

namespace ov {

class ComponentDownloader : public FileDownloader {
 public:
  // `form` must outlive this object; its progress handlers and status query are attached here.
  explicit ComponentDownloader(TFPrincipal& form);
  ComponentDownloader(const ComponentDownloader&) = delete;
  ComponentDownloader& operator=(const ComponentDownloader&) = delete;

  std::string Download(const std::string& url, const std::string& folder,
                       const std::string& name) override;
  void Pause() override;

  TDownloader& Downloader() { return downloader_; }

 private:
  TDownloader downloader_;
};

}  // namespace ov
