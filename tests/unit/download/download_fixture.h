// A facade in a temporary folder with every event recorded, and the request heads the HTTP
// driver sends, for tests against scripted loopback servers.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "download/downloader.h"
#include "support/download_test_folder.h"
#include "support/scripted_peer.h"

namespace ov::testing {

inline std::string PeerUrl(const ScriptedPeer& peer, const std::string& path) {
  return "http://" + peer.Host() + ":" + peer.PortText() + path;
}

// The GET head the driver sends for `path`, with the extra lines (Cookie, Range) in place.
inline std::string GetHead(const ScriptedPeer& peer, const std::string& path,
                           const std::string& extra_lines = "") {
  return "GET " + path + " HTTP/1.0\r\nHost: " + peer.Host() + ":" + peer.PortText() +
         "\r\nKeep-Alive: 300\r\nConnection: keep-alive\r\n" + extra_lines +
         "User-Agent: Mozilla/4.0 (compatible; Instalador)\r\n\r\n";
}

inline std::string Response(const std::string& status, const std::string& body,
                            const std::string& extra = "") {
  return "HTTP/1.0 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
         extra + "\r\n" + body;
}

class DownloadFixture : public ::testing::Test {
 protected:
  DownloadFixture() {
    downloader.SetProtocolo(protHTTP);
    downloader.SetDownloadDest(folder.Path());
    downloader.Proxy().ProxyTimeout = 3000;
    downloader.SetOnBeforeDownload([this](TDownloaderEngine&) { events.push_back("Before"); });
    downloader.SetOnAfterDownload([this](TDownloaderEngine&) { events.push_back("After"); });
    downloader.SetOnDownloadStatus(
        [this](TDownloaderEngine&, TDownloadStatus status) { statuses.push_back(status); });
    downloader.SetOnHookStatus([this](TBlockSocket&, THookSocketReason reason, std::int32_t to,
                                      std::int32_t done) {
      events.push_back(HookReasonName(reason));
      if (reason == HR_ReadCount) read_counts.push_back({to, done});
    });
    downloader.SetOnHookMonitor([this](TBlockSocket&, std::int32_t, std::int32_t, double,
                                       std::uint16_t, std::uint16_t, std::uint16_t) {
      if (events.empty() || events.back() != "Monitor") events.push_back("Monitor");
      ++monitors;
      if (on_monitor) on_monitor();
    });
  }

  void Fetch(const std::string& url, const std::string& name) {
    downloader.SetDownloadUrl(url);
    downloader.SetDownloadNomeArq(name);
    downloader.StartDownload();
  }

  std::vector<std::string> Closes() const {
    std::vector<std::string> closes;
    for (const auto& e : events) {
      if (e == "HR_SocketClose") closes.push_back(e);
    }
    return closes;
  }

  DownloadTestFolder folder;
  std::vector<std::string> events;
  std::vector<TDownloadStatus> statuses;
  std::vector<std::pair<std::int32_t, std::int32_t>> read_counts;
  int monitors = 0;
  std::function<void()> on_monitor;
  TDownloader downloader;  // last: its sockets report into the members above while it goes
};

}  // namespace ov::testing
