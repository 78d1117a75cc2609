// The window's download component against a real nginx: the file arrives under its name and the
// window shows the transfer; a pause from the window leaves the ".part" for a later run.
#include "ui/component_downloader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../unit/ui/recording_view.h"
#include "support/nginx_server.h"
#include "support/requirements.h"

namespace ov {
namespace {

[[maybe_unused]] std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + (i * 7 + i / 13) % 26);
  return bytes;
}

[[maybe_unused]] std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class ComponentDownloaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OV_REQUIRE_PROGRAM(nginx, testing::NginxServer::ProgramName(), "nginx-light");
    std::string error;
    server = testing::NginxServer::Start(nginx, &error);
    ASSERT_NE(server, nullptr) << error;
    body = Pattern(3 * 1024 * 1024);
    std::ofstream(server->Root() + "/Banco30.rar", std::ios::binary) << body;
    folder = std::filesystem::path(server->Folder()) / "destino";
    std::filesystem::create_directories(folder);
  }

  std::unique_ptr<testing::NginxServer> server;
  std::string body;
  std::filesystem::path folder;
  testing_ui::RecordingView view;
  TFPrincipal form{view, Settings()};

  // A clock that lets every progress event pump the window's messages.
  static PrincipalSettings Settings() {
    PrincipalSettings settings;
    settings.Tick = [t = 0u]() mutable { return t += 1000; };
    return settings;
  }
};

TEST_F(ComponentDownloaderTest, FileArrivesAndTheWindowShowsTheTransfer) {
  ComponentDownloader downloader(form);
  EXPECT_EQ(downloader.Download(server->Url("/Banco30.rar"), folder.string() + "/", "Banco30.rar"),
            "");
  EXPECT_EQ(ReadFile(folder / "Banco30.rar"), body);
  EXPECT_FALSE(std::filesystem::exists(folder / "Banco30.rar.part"));
  EXPECT_EQ(view.progress_max, static_cast<int>(body.size()));
  EXPECT_GT(view.progress_position, 0);
  EXPECT_NE(view.status.find(" / 3,072 KB  -  "), std::string::npos) << view.status;
  EXPECT_NE(view.status.find(" KB/s  -  "), std::string::npos) << view.status;
  EXPECT_GE(view.pumps, 1) << "the window must get to repaint during the transfer";
}

TEST_F(ComponentDownloaderTest, PauseFromTheWindowKeepsThePartAndAStartResumes) {
  ComponentDownloader downloader(form);
  bool paused = false;
  // The user's "Cancelar" arrives through the message pump of a progress event.
  view.on_pump = [&] {
    if (!paused && view.progress_position > 0) {
      paused = true;
      downloader.Pause();
    }
  };
  downloader.Download(server->Url("/Banco30.rar"), folder.string() + "/", "Banco30.rar");
  ASSERT_TRUE(paused);
  EXPECT_FALSE(std::filesystem::exists(folder / "Banco30.rar"));
  ASSERT_TRUE(std::filesystem::exists(folder / "Banco30.rar.part"));
  EXPECT_LT(std::filesystem::file_size(folder / "Banco30.rar.part"), body.size());
  EXPECT_EQ(view.status, "Download Pausado...");

  view.on_pump = nullptr;
  EXPECT_EQ(downloader.Download(server->Url("/Banco30.rar"), folder.string() + "/", "Banco30.rar"),
            "");
  EXPECT_EQ(ReadFile(folder / "Banco30.rar"), body);
}

}  // namespace
}  // namespace ov
