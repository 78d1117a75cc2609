// The installation sequence's downloads through the real download component, from nginx on
// loopback: direct HTTP whatever proxy was set, errors as texts, and a pause from an event.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "download/downloader.h"
#include "installer/downloader_adapter.h"
#include "support/download_test_folder.h"
#include "support/nginx_server.h"
#include "support/requirements.h"

namespace ov {
namespace {

using testing::DownloadPattern;
using testing::DownloadTestFolder;
using testing::NginxServer;

class DownloaderAdapter : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "nginx is started by the Linux build only";
#else
    OV_REQUIRE_PROGRAM(nginx, "nginx", "nginx-light");
    std::string error;
    server_ = NginxServer::Start(nginx, &error, "location /slow/ { limit_rate 200k; }");
    ASSERT_NE(server_, nullptr) << error;
    content_ = DownloadPattern(600000);
    std::filesystem::create_directories(server_->Root() + "/slow");
    for (const char* name : {"/setup.rar", "/slow/setup.rar"}) {
      std::ofstream(server_->Root() + name, std::ios::binary) << content_;
    }
#endif
  }

  std::unique_ptr<NginxServer> server_;
  std::string content_;
  DownloadTestFolder folder_;
  TDownloader component_;
  TDownloaderFileDownloader adapter_{component_};
};

TEST_F(DownloaderAdapter, FetchesByHttpDirectlyEvenWhenAProxyWasSet) {
  // A proxy that would refuse the connection: the download must not go through it.
  component_.Proxy() = {"127.0.0.1", "1", "user", "pass", 90000};
  adapter_.Pause();  // nothing runs yet: no effect on the download below

  EXPECT_EQ(adapter_.Download(server_->Url("/setup.rar"), folder_.Path(), "setup.rar"), "");

  EXPECT_EQ(folder_.Read("setup.rar"), content_);
  EXPECT_FALSE(folder_.Exists("setup.rar.part"));
  EXPECT_EQ(component_.Protocolo(), protHTTP);
  EXPECT_EQ(component_.Proxy().ProxyHost + component_.Proxy().ProxyPort +
                component_.Proxy().ProxyUser + component_.Proxy().ProxyPass,
            "");
}

TEST_F(DownloaderAdapter, ReturnsWhatTheComponentRaisesAsText) {
  // The destination lies under a plain file, so the part file cannot be created.
  folder_.Write("blocker", "x");
  const std::string error =
      adapter_.Download(server_->Url("/setup.rar"), folder_.File("blocker") + "/sub/", "setup.rar");
  EXPECT_NE(error, "");
}

TEST_F(DownloaderAdapter, APauseFromAnEventLeavesThePartForTheNextCall) {
  component_.SetOnHookMonitor([this](TBlockSocket&, std::int32_t, std::int32_t downloaded,
                                     double, std::uint16_t, std::uint16_t, std::uint16_t) {
    if (downloaded > 0) adapter_.Pause();
  });
  const std::string url = server_->Url("/slow/setup.rar");

  EXPECT_EQ(adapter_.Download(url, folder_.Path(), "setup.rar"), "");
  EXPECT_FALSE(folder_.Exists("setup.rar"));
  const std::int64_t kept = folder_.Size("setup.rar.part");
  EXPECT_GE(kept, 0);
  EXPECT_LT(kept, static_cast<std::int64_t>(content_.size()));

  component_.SetOnHookMonitor(nullptr);
  EXPECT_EQ(adapter_.Download(url, folder_.Path(), "setup.rar"), "");
  EXPECT_EQ(folder_.Read("setup.rar"), content_);
  EXPECT_NE(server_->AccessLog().find("/slow/setup.rar"), std::string::npos);
}

}  // namespace
}  // namespace ov
