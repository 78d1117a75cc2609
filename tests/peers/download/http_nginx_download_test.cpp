// The download component against a real nginx on loopback: new files, resumes, a server that
// ignores ranges, a complete part file, a missing file and a 1 GiB download in bounded memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "download/downloader.h"
#include "support/download_test_folder.h"
#include "support/live_heap.h"
#include "support/nginx_server.h"
#include "support/requirements.h"

namespace ov {
namespace {

using testing::DownloadPattern;
using testing::DownloadTestFolder;
using testing::NginxServer;

class NginxDownload : public ::testing::Test {
 protected:
  void SetUp() override {
    OV_REQUIRE_PROGRAM(nginx, NginxServer::ProgramName(), "nginx-light");
    std::string error;
    // Under /whole/ the server ignores Range and always sends the whole file.
    server_ = NginxServer::Start(nginx, &error, "location /whole/ { max_ranges 0; }");
    ASSERT_NE(server_, nullptr) << error;
    std::filesystem::create_directories(server_->Root() + "/whole");
    content_ = DownloadPattern(100000);
    for (const char* name : {"/setup.rar", "/whole/setup.rar"}) {
      std::ofstream(server_->Root() + name, std::ios::binary) << content_;
    }
    downloader_.SetProtocolo(protHTTP);
    downloader_.SetDownloadDest(folder_.Path());
    downloader_.SetOnHookStatus([this](TBlockSocket&, THookSocketReason reason, std::int32_t,
                                       std::int32_t) {
      if (reason == HR_SocketClose) ++closes_;
    });
  }

  void Fetch(const std::string& path, const std::string& name) {
    downloader_.SetDownloadUrl(server_->Url(path));
    downloader_.SetDownloadNomeArq(name);
    downloader_.StartDownload();
  }

  std::unique_ptr<NginxServer> server_;
  std::string content_;
  DownloadTestFolder folder_;
  int closes_ = 0;
  TDownloader downloader_;
};

TEST_F(NginxDownload, NewFile) {
  Fetch("/setup.rar", "setup.rar");
  EXPECT_EQ(downloader_.Engine().ResultCode(), 200);
  EXPECT_TRUE(folder_.Read("setup.rar") == content_);
  EXPECT_FALSE(folder_.Exists("setup.rar.part"));
  EXPECT_EQ(closes_, 1);
}

TEST_F(NginxDownload, ResumesFromAPartFile) {
  folder_.Write("setup.rar.part", content_.substr(0, 4096));
  Fetch("/setup.rar", "setup.rar");
  EXPECT_EQ(downloader_.Engine().ResultCode(), 206);
  EXPECT_EQ(downloader_.Engine().BytesResumed(), 4096);
  EXPECT_TRUE(folder_.Read("setup.rar") == content_);
  EXPECT_FALSE(folder_.Exists("setup.rar.part"));
}

TEST_F(NginxDownload, PartFileAnsweredWithTheWholeFileRestarts) {
  folder_.Write("setup.rar.part", std::string(4096, 'X'));
  Fetch("/whole/setup.rar", "setup.rar");
  EXPECT_EQ(downloader_.Engine().ResultCode(), 200);
  EXPECT_TRUE(folder_.Read("setup.rar") == content_);
}

TEST_F(NginxDownload, CompletePartFileIsFinishedBy416) {
  folder_.Write("setup.rar.part", content_);
  Fetch("/setup.rar", "setup.rar");
  EXPECT_EQ(downloader_.Engine().ResultCode(), 206) << "416 with the part file's size";
  EXPECT_TRUE(folder_.Read("setup.rar") == content_);
  EXPECT_FALSE(folder_.Exists("setup.rar.part"));
}

TEST_F(NginxDownload, MissingFileLeavesThePartFileAlone) {
  folder_.Write("gone.rar.part", "kept bytes");
  Fetch("/gone.rar", "gone.rar");
  EXPECT_EQ(downloader_.Engine().ResultCode(), 404);
  EXPECT_EQ(folder_.Read("gone.rar.part"), "kept bytes");
  EXPECT_FALSE(folder_.Exists("gone.rar"));
  EXPECT_EQ(closes_, 1);
}

// Peak memory of the process while 1 GiB flows: the live heap under the address sanitizer
// (whose quarantine would swamp the resident size), the resident high-water mark otherwise.
class PeakMemory {
 public:
  PeakMemory() : start_(Now()) {}
  void Sample() { peak_ = std::max(peak_, Now()); }
  std::int64_t Growth() {
    Sample();
    return peak_ - start_;
  }

 private:
  static std::int64_t Now() {
#ifdef OV_HEAP_BYTES
    return static_cast<std::int64_t>(OV_HEAP_BYTES());
#else
    std::ifstream status("/proc/self/status");
    std::string key;
    std::int64_t kib = 0;
    while (status >> key) {
      if (key == "VmHWM:") {
        status >> kib;
        break;
      }
    }
    return kib * 1024;
#endif
  }

  std::int64_t start_;
  std::int64_t peak_ = 0;
};

TEST_F(NginxDownload, OneGibibyteInBoundedMemory) {
  constexpr std::int64_t kSize = 1LL << 30;
  const std::string source = server_->Root() + "/big.bin";
  {
    std::ofstream(source, std::ios::binary).put('\0');
    std::filesystem::resize_file(source, kSize);  // sparse: zeros that take no disk
    std::ofstream patch(source, std::ios::binary | std::ios::in);
    patch.seekp(kSize - 5);
    patch << "last!";
  }
  PeakMemory memory;
  std::int64_t monitors = 0;
  downloader_.SetOnHookMonitor([&](TBlockSocket&, std::int32_t, std::int32_t, double,
                                   std::uint16_t, std::uint16_t, std::uint16_t) {
    if (++monitors % 64 == 0) memory.Sample();
  });
  Fetch("/big.bin", "big.bin");
  std::filesystem::remove(source);
  const std::string result = folder_.File("big.bin");
  ASSERT_TRUE(std::filesystem::exists(result));
  EXPECT_EQ(static_cast<std::int64_t>(std::filesystem::file_size(result)), kSize);
  {
    std::ifstream in(result, std::ios::binary);
    in.seekg(kSize - 5);
    std::string tail(5, '\0');
    in.read(tail.data(), 5);
    EXPECT_EQ(tail, "last!");
  }
  std::filesystem::remove(result);
  EXPECT_LT(memory.Growth(), 64LL << 20);
  EXPECT_GT(monitors, 0);
}

}  // namespace
}  // namespace ov
