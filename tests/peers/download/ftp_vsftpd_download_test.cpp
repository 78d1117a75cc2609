// The FTP download driver against a real vsftpd on loopback: a whole file, a resume, a refused
// logon, a missing file and a URL without a file name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "download/downloader.h"
#include "support/download_test_folder.h"
#include "support/ftp_servers.h"

namespace ov {
namespace {

using testing::DownloadPattern;
using testing::DownloadTestFolder;
using testing::FtpServer;
using testing::FtpServerKind;

class VsftpdDownload : public ::testing::Test {
 protected:
  void Prepare(const FtpServer& server) {
    content_ = DownloadPattern(700000);
    std::filesystem::create_directories(std::filesystem::path(server.Info().root) / "pub");
    std::ofstream(std::filesystem::path(server.Info().root) / "pub" / "setup.rar",
                  std::ios::binary)
        << content_;
    downloader_.SetProtocolo(protFTP);
    downloader_.SetDownloadDest(folder_.Path());
    TDownloaderFTP ftp;
    ftp.FtpHost = server.Info().host;
    ftp.FtpPort = std::to_string(server.Info().port);
    ftp.FtpUser = "anonymous";
    ftp.FtpPass = "test@";
    ftp.FtpTimeout = 5000;
    downloader_.SetFTP(ftp);
    downloader_.SetOnHookStatus([this](TBlockSocket&, THookSocketReason reason, std::int32_t,
                                       std::int32_t) {
      if (reason == HR_SocketClose) ++closes_;
    });
  }

  void Fetch(const std::string& url) {
    // The host in the URL plays no part: server and logon come from the FTP settings.
    downloader_.SetDownloadUrl("ftp://unused.invalid" + url);
    downloader_.SetDownloadNomeArq("ignored.bin");
    downloader_.StartDownload();
  }

  std::string content_;
  DownloadTestFolder folder_;
  int closes_ = 0;
  TDownloader downloader_;
};

TEST_F(VsftpdDownload, WholeFile) {
  OV_START_FTP_SERVER(server, FtpServerKind::Vsftpd, false);
  Prepare(*server);
  Fetch("/pub/setup.rar");
  EXPECT_TRUE(folder_.Read("setup.rar") == content_) << server->LogText();
  EXPECT_FALSE(folder_.Exists("setup.rar.part"));
  EXPECT_FALSE(folder_.Exists("ignored.bin"));
  EXPECT_EQ(closes_, 2) << "after the data and after the final reply";
}

TEST_F(VsftpdDownload, ResumesAtThePartFilesSize) {
  OV_START_FTP_SERVER(server, FtpServerKind::Vsftpd, false);
  Prepare(*server);
  folder_.Write("setup.rar.part", content_.substr(0, 4096));
  Fetch("/pub/setup.rar");
  EXPECT_EQ(downloader_.Engine().BytesResumed(), 4096);
  EXPECT_TRUE(folder_.Read("setup.rar") == content_) << "resumed file differs";
}

TEST_F(VsftpdDownload, RefusedLogon) {
  OV_START_FTP_SERVER(server, FtpServerKind::Vsftpd, false);
  Prepare(*server);
  downloader_.FTP().FtpUser = server->Info().user;
  downloader_.FTP().FtpPass = "wrong password";
  try {
    Fetch("/pub/setup.rar");
    ADD_FAILURE() << "no error";
  } catch (const EDownloadError& error) {
    EXPECT_STREQ(error.what(), "Não foi possível efetuar o login!");
  }
  EXPECT_FALSE(folder_.Exists("setup.rar.part"));
}

TEST_F(VsftpdDownload, MissingFileLeavesAnEmptyPartFile) {
  OV_START_FTP_SERVER(server, FtpServerKind::Vsftpd, false);
  Prepare(*server);
  Fetch("/pub/nothing.rar");
  EXPECT_EQ(downloader_.Engine().ResultCode(), 550);
  EXPECT_EQ(folder_.Size("nothing.rar.part"), 0);
  EXPECT_FALSE(folder_.Exists("nothing.rar"));
}

TEST_F(VsftpdDownload, UrlWithoutAFileName) {
  OV_START_FTP_SERVER(server, FtpServerKind::Vsftpd, false);
  Prepare(*server);
  try {
    Fetch("/pub/");
    ADD_FAILURE() << "no error";
  } catch (const EDownloadError& error) {
    EXPECT_STREQ(error.what(), "File To Save not found");
  }
}

}  // namespace
}  // namespace ov
