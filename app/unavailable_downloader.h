// Stands in for the download component until it is part of the build: every download fails
// with a message, so the installation stops and says why instead of pretending success.
#pragma once

#include <string>

#include "installer/file_downloader.h"

namespace ov::app {

class UnavailableDownloader : public FileDownloader {
 public:
  std::string Download(const std::string& url, const std::string&, const std::string&) override {
    return "O componente de download n\u00E3o est\u00E1 dispon\u00EDvel nesta vers\u00E3o do "
           "instalador: " +
           url;
  }
  void Pause() override {}
};

}  // namespace ov::app
