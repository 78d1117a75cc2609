// The download component against a server that fails in every way a broken proxy, a captive
// portal or a dropped line can: after each fault, and again after one clean resume, the file
// is the original byte for byte or absent (a ".part" prefix of it left) — never wrong — and no
// download outlasts its timeout or grows memory without bound.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "download/downloader.h"
#include "support/download_test_folder.h"
#include "support/fault_server.h"
#include "support/live_heap.h"

namespace ov {
namespace {

using testing::DownloadPattern;
using testing::DownloadTestFolder;
using testing::FaultServer;
using testing::HttpFault;
using testing::HttpFaultName;

constexpr std::int32_t kTimeoutMs = 1000;
constexpr std::size_t kFileSize = 5000;  // a few receive blocks, so block boundaries show
const char* const kName = "setup.bin";

class FaultSweep : public ::testing::Test {
 protected:
  FaultSweep() : content_(DownloadPattern(kFileSize)), server_(content_) {
    downloader_.SetProtocolo(protHTTP);
    downloader_.SetDownloadDest(folder_.Path());
    downloader_.SetDownloadUrl(server_.Url("/files/setup.bin"));
    downloader_.SetDownloadNomeArq(kName);
    downloader_.Proxy().ProxyTimeout = kTimeoutMs;
  }

  // One download; fails the test on an exception or when it outlasts a few timeouts.
  void Fetch(const std::string& label) {
    const auto started = std::chrono::steady_clock::now();
    try {
      downloader_.StartDownload();
    } catch (const std::exception& e) {
      ADD_FAILURE() << label << ": download raised " << e.what();
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - started)
                        .count();
    EXPECT_LT(ms, 4 * kTimeoutMs) << label << ": download took " << ms << " ms";
  }

  // The file is whole, or absent with at most a ".part" that is a prefix of the original.
  void ExpectNeverWrong(const std::string& label) {
    const std::string part = std::string(kName) + ".part";
    if (folder_.Exists(kName)) {
      EXPECT_TRUE(folder_.Read(kName) == content_) << label << ": the finished file is wrong ("
                                                    << folder_.Size(kName) << " bytes)";
      EXPECT_FALSE(folder_.Exists(part)) << label << ": a part file beside the finished file";
      return;
    }
    if (!folder_.Exists(part)) return;
    const std::string bytes = folder_.Read(part);
    EXPECT_TRUE(bytes.size() <= content_.size() && content_.compare(0, bytes.size(), bytes) == 0)
        << label << ": the part file (" << bytes.size() << " bytes) is not a prefix of the file";
  }

  // A faulty download, then a clean one that must finish the file.
  void FaultThenResume(HttpFault fault, std::int64_t n) {
    const std::string label = std::string(HttpFaultName(fault)) + " N=" + std::to_string(n);
    server_.SetFault(fault, n);
    Fetch(label);
    ExpectNeverWrong(label);
    server_.SetFault(HttpFault::None);
    Fetch(label + ", clean resume");
    ExpectNeverWrong(label + ", clean resume");
    EXPECT_TRUE(folder_.Read(kName) == content_) << label << ": the resume did not finish";
    Restart();
  }

  // Starts the next case from nothing; a half-done part file is seeded where a case asks.
  void Restart() {
    std::remove(folder_.File(kName).c_str());
    std::remove(folder_.File(std::string(kName) + ".part").c_str());
  }

  std::string content_;
  DownloadTestFolder folder_;
  FaultServer server_;
  TDownloader downloader_;
};

// Byte offsets: start, middle, end, and each side of every 1 KiB boundary of the file.
std::vector<std::int64_t> SweepOffsets() {
  std::set<std::int64_t> offsets = {0, 1, kFileSize / 2, kFileSize - 1, kFileSize};
  for (std::int64_t b = 1024; b < static_cast<std::int64_t>(kFileSize); b += 1024) {
    offsets.insert({b - 1, b, b + 1});
  }
  return {offsets.begin(), offsets.end()};
}

TEST_F(FaultSweep, CutConnectionsAtEveryBoundary) {
  for (const HttpFault fault : {HttpFault::CloseAfter, HttpFault::ResetAfter}) {
    for (const std::int64_t n : SweepOffsets()) FaultThenResume(fault, n);
  }
}

// A body cut short never becomes the finished file, however the cut is made.
TEST_F(FaultSweep, CutBodyIsNeverFinished) {
  for (const HttpFault fault : {HttpFault::CloseAfter, HttpFault::ResetAfter,
                                HttpFault::StallAfter, HttpFault::LongerLength}) {
    server_.SetFault(fault, fault == HttpFault::LongerLength ? 10 : 2048);
    Fetch(HttpFaultName(fault));
    EXPECT_FALSE(folder_.Exists(kName)) << HttpFaultName(fault);
    ExpectNeverWrong(HttpFaultName(fault));
    Restart();
  }
}

// A file of many receive blocks: what reached the part file block by block before the cut is
// kept only where it is right, and the resume finishes the file.
TEST_F(FaultSweep, LargeFileCutAndResumed) {
  content_ = DownloadPattern(300000);
  server_.SetContent(content_);
  for (const std::int64_t n : {std::int64_t{65535}, std::int64_t{65537}, std::int64_t{150000},
                               std::int64_t{299999}}) {
    for (const HttpFault fault : {HttpFault::CloseAfter, HttpFault::ResetAfter}) {
      FaultThenResume(fault, n);
    }
  }
  // A resume answered with the whole file after a part of many blocks.
  folder_.Write(std::string(kName) + ".part", content_.substr(0, 150000));
  server_.SetFault(HttpFault::WholeForRange);
  Fetch("WholeForRange, large");
  ExpectNeverWrong("WholeForRange, large");
}

// A stall costs a whole timeout, so only the start, middle and end are tried.
TEST_F(FaultSweep, StallsEndAtTheTimeout) {
  for (const std::int64_t n : {std::int64_t{0}, std::int64_t{kFileSize / 2},
                               std::int64_t{kFileSize - 1}}) {
    FaultThenResume(HttpFault::StallAfter, n);
  }
}

TEST_F(FaultSweep, LyingAnswers) {
  for (const std::int64_t n : {1, 100, 5000}) FaultThenResume(HttpFault::LongerLength, n);
  FaultThenResume(HttpFault::GarbageStatus, 0);
}

// A resume that meets an answer for the wrong bytes must not append them to the part file.
TEST_F(FaultSweep, ResumeMeetsAnswerForOtherBytes) {
  for (const HttpFault fault : {HttpFault::WholeForRange, HttpFault::WrongContentRange}) {
    for (const std::int64_t part : {std::int64_t{1}, std::int64_t{1024}, std::int64_t{4999}}) {
      const std::string label = std::string(HttpFaultName(fault)) + " after " +
                                std::to_string(part) + " bytes";
      folder_.Write(std::string(kName) + ".part", content_.substr(0, part));
      server_.SetFault(fault, 7);
      Fetch(label);
      ExpectNeverWrong(label);
      EXPECT_NE(server_.LastRequest().find("Range: bytes=" + std::to_string(part) + "-"),
                std::string::npos)
          << label << ": the download did not ask to resume";
      server_.SetFault(HttpFault::None);
      Fetch(label + ", clean resume");
      EXPECT_TRUE(folder_.Read(kName) == content_) << label << ": the resume did not finish";
      Restart();
    }
  }
}

TEST_F(FaultSweep, EndlessHeaderLineIsBounded) {
#if defined(OV_HEAP_BYTES)
  const std::size_t before = OV_HEAP_BYTES();
#endif
  server_.SetFault(HttpFault::EndlessHeader);
  Fetch("EndlessHeader");
#if defined(OV_HEAP_BYTES)
  // The client refuses a response head beyond a fixed size; what it holds stays near that.
  EXPECT_LT(OV_HEAP_BYTES(), before + 16 * 1024 * 1024);
#endif
  ExpectNeverWrong("EndlessHeader");
  server_.SetFault(HttpFault::None);
  Fetch("EndlessHeader, clean resume");
  EXPECT_TRUE(folder_.Read(kName) == content_);
}

}  // namespace
}  // namespace ov
