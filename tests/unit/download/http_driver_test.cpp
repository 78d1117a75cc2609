// The HTTP download driver against scripted servers: naming, resuming, redirects, error replies,
// cut-off bodies, stop and pause, and the events the application sees.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "download_fixture.h"
#include "net/stream.h"

namespace ov {
namespace {

using testing::DownloadFixture;
using testing::DownloadPattern;
using testing::GetHead;
using testing::PeerUrl;
using testing::Response;
using testing::ScriptedPeer;

using HttpDriver = DownloadFixture;

TEST_F(HttpDriver, EventSequenceOfOneDownload) {
  const std::string body = DownloadPattern(3000);
  ScriptedPeer peer;
  peer.StepLimit(3000)
      .Expect(GetHead(peer, "/pub/setup.rar"))
      .Send("HTTP/1.0 200 OK\r\nContent-Length: 3000\r\n\r\n")
      .Wait(50)
      .Send(body.substr(0, 1000))
      .Wait(50)
      .Send(body.substr(1000))
      .Close()
      .Start();
  Fetch(PeerUrl(peer, "/pub/setup.rar"), "setup.rar");
  ASSERT_TRUE(peer.WaitDone());
  EXPECT_TRUE(peer.Failures().empty()) << peer.Failures().front();
  EXPECT_EQ(folder.Read("setup.rar"), body);
  EXPECT_FALSE(folder.Exists("setup.rar.part"));
  const std::vector<std::string> expected = {"Before",         "HR_Connect", "Monitor",
                                             "HR_ReadCount",   "Monitor",    "HR_SocketClose",
                                             "After"};
  EXPECT_EQ(events, expected);
  ASSERT_EQ(read_counts.size(), 1u);
  EXPECT_EQ(read_counts[0], std::make_pair(3000, 0));
  EXPECT_TRUE(statuses.empty()) << "the engine's own status changes raise no event";
  EXPECT_EQ(downloader.DownloadStatus(), stDownload);
}

// The local name: from the URL without its query, or given (a trailing ".part" is kept once);
// a finished download replaces an older file of the same name.
TEST_F(HttpDriver, NamesTheFinalFile) {
  struct Case {
    std::string path, name, file, existing;
  } cases[] = {{"/pub/file.zip?x=1", "", "file.zip", ""},
               {"/a", "b.zip.part", "b.zip", ""},
               {"/a.party.zip", "", "a.party.zip", ""},
               {"/c", "c.bin", "c.bin", "an older and longer file"}};
  for (const Case& c : cases) {
    if (!c.existing.empty()) folder.Write(c.file, c.existing);
    ScriptedPeer peer;
    peer.StepLimit(3000).Expect(GetHead(peer, c.path)).Send(Response("200 OK", "data")).Close().Start();
    Fetch(PeerUrl(peer, c.path), c.name);
    ASSERT_TRUE(peer.WaitDone());
    EXPECT_TRUE(peer.Failures().empty()) << c.path;
    EXPECT_EQ(folder.Read(c.file), "data") << c.path;
    EXPECT_FALSE(folder.Exists(c.file + ".part")) << c.path;
  }
}

TEST_F(HttpDriver, ResumeWhoseRestArrivesWithTheHeadGetsTheFinalName) {
  folder.Write("x.bin.part", "abcd");
  ScriptedPeer peer;
  peer.StepLimit(3000)
      .Expect(GetHead(peer, "/x.bin", "Range: bytes=4-\r\n"))
      .Send(Response("206 Partial Content", "efghij", "Content-Range: bytes 4-9/10\r\n"))
      .Close()
      .Start();
  Fetch(PeerUrl(peer, "/x.bin"), "x.bin");
  ASSERT_TRUE(peer.WaitDone());
  EXPECT_TRUE(peer.Failures().empty()) << peer.Failures().front();
  EXPECT_EQ(folder.Read("x.bin"), "abcdefghij");
  EXPECT_FALSE(folder.Exists("x.bin.part"));
}

TEST_F(HttpDriver, ResumedCountsStartFromThePartFile) {
  folder.Write("x.rar.part", std::string(1000, 'p'));
  ScriptedPeer peer;
  peer.StepLimit(3000)
      .Expect(GetHead(peer, "/x.rar", "Range: bytes=1000-\r\n"))
      .Send("HTTP/1.0 206 Partial Content\r\nContent-Range: bytes 1000-1499/1500\r\n"
            "Content-Length: 500\r\n\r\n")
      .Wait(50)
      .Send(std::string(500, 'q'))
      .Close()
      .Start();
  Fetch(PeerUrl(peer, "/x.rar"), "x.rar");
  ASSERT_TRUE(peer.WaitDone());
  ASSERT_EQ(read_counts.size(), 1u);
  EXPECT_EQ(read_counts[0], std::make_pair(1500, 1000));
  EXPECT_EQ(folder.Read("x.rar"), std::string(1000, 'p') + std::string(500, 'q'));
}

// A redirect is followed through the same part file, wherever Location points.
TEST_F(HttpDriver, FollowsRedirects) {
  struct Case {
    const char* label;
    bool other_server;
    std::string location_line;  // %s: absolute URL of the target
    std::string target_path;
  } cases[] = {{"absolute", true, "Location: %s\r\n", "/new/setup.rar"},
               {"relative", false, "Location: ../new/setup.rar\r\n", "/new/setup.rar"},
               {"lower case", false, "location: /moved.rar\r\n", "/moved.rar"}};
  for (const Case& c : cases) {
    ScriptedPeer first;
    ScriptedPeer second;
    ScriptedPeer& target = c.other_server ? second : first;
    std::string location = c.location_line;
    if (const auto at = location.find("%s"); at != std::string::npos) {
      location.replace(at, 2, PeerUrl(target, c.target_path));
    }
    first.StepLimit(3000)
        .Expect(GetHead(first, "/old/setup.rar"))
        .Send(Response("302 Found", "moved", location))
        .Close();
    target.StepLimit(3000)
        .Expect(GetHead(target, c.target_path))
        .Send(Response("200 OK", "the file"))
        .Close();
    first.Start();
    if (c.other_server) second.Start();
    events.clear();
    Fetch(PeerUrl(first, "/old/setup.rar"), "setup.rar");
    EXPECT_TRUE(first.WaitDone()) << c.label;
    EXPECT_TRUE(first.Failures().empty()) << c.label << ": " << first.Failures().front();
    if (c.other_server) {
      EXPECT_TRUE(second.Failures().empty()) << c.label;
    }
    EXPECT_EQ(folder.Read("setup.rar"), "the file") << c.label;
    EXPECT_FALSE(folder.Exists("setup.rar.part")) << c.label;
    EXPECT_EQ(events.front(), "Before");
    EXPECT_EQ(std::count(events.begin(), events.end(), "Before"), 2) << c.label;
    EXPECT_EQ(events.back(), "After");
    std::filesystem::remove(folder.File("setup.rar"));
  }
}

TEST_F(HttpDriver, RedirectToAnotherHostCarriesNoCookies) {
  ScriptedPeer first;
  ScriptedPeer second;
  first.StepLimit(3000)
      .Expect(GetHead(first, "/a"))
      .Send(Response("302 Found", "", "Set-Cookie: session=secret\r\nLocation: " +
                                          PeerUrl(second, "/b") + "\r\n"))
      .Close()
      .Start();
  second.StepLimit(3000).Expect(GetHead(second, "/b")).Send(Response("200 OK", "ok")).Close().Start();
  Fetch(PeerUrl(first, "/a"), "a.bin");
  ASSERT_TRUE(second.WaitDone());
  EXPECT_TRUE(second.Failures().empty()) << second.Failures().front();
  EXPECT_EQ(folder.Read("a.bin"), "ok");
}

TEST_F(HttpDriver, RedirectLoopEndsAfterTenHops) {
  ScriptedPeer peer;
  peer.StepLimit(3000);
  for (int i = 0; i <= 10; ++i) {
    peer.Accept()
        .Expect(GetHead(peer, "/loop"))
        .Send(Response("302 Found", "", "Location: /loop\r\n"))
        .Close();
  }
  peer.Start();
  Fetch(PeerUrl(peer, "/loop"), "loop.bin");
  ASSERT_TRUE(peer.WaitDone());
  EXPECT_EQ(peer.Connections(), 11);
  EXPECT_FALSE(folder.Exists("loop.bin"));
  EXPECT_TRUE(folder.Exists("loop.bin.part"));
  EXPECT_EQ(Closes().size(), 1u) << "the failed end is reported once";
}

TEST_F(HttpDriver, RedirectWithoutLocationFails) {
  ScriptedPeer peer;
  peer.StepLimit(3000).Expect(GetHead(peer, "/a")).Send(Response("302 Found", "x")).Close().Start();
  Fetch(PeerUrl(peer, "/a"), "a.bin");
  ASSERT_TRUE(peer.WaitDone());
  EXPECT_EQ(peer.Connections(), 1);
  EXPECT_FALSE(folder.Exists("a.bin"));
  EXPECT_EQ(folder.Read("a.bin.part"), "");
}

TEST_F(HttpDriver, ServerErrorIsNotReportedAndLeavesNoErrorPage) {
  ScriptedPeer peer;
  peer.StepLimit(3000)
      .Expect(GetHead(peer, "/a"))
      .Send(Response("500 Internal Server Error", "<h1>oops</h1>"))
      .Close()
      .Start();
  Fetch(PeerUrl(peer, "/a"), "a.bin");
  ASSERT_TRUE(peer.WaitDone());
  EXPECT_TRUE(Closes().empty());
  EXPECT_TRUE(folder.Exists("a.bin.part"));
  EXPECT_EQ(folder.Read("a.bin.part"), "");
  EXPECT_FALSE(folder.Exists("a.bin"));
}

// A body cut off by the server stays a part file holding a prefix of the body; the next start
// asks for the rest and completes it byte for byte.
TEST_F(HttpDriver, CutOffBodyStaysPartAndResumes) {
  const std::size_t size = 300000;
  const std::string body = DownloadPattern(size);
  {
    ScriptedPeer peer;
    peer.StepLimit(3000)
        .Expect(GetHead(peer, "/f"))
        .Send("HTTP/1.0 200 OK\r\nContent-Length: 300000\r\n\r\n" + body.substr(0, 200000))
        .Wait(200)
        .Reset()
        .Start();
    Fetch(PeerUrl(peer, "/f"), "f.bin");
    ASSERT_TRUE(peer.WaitDone());
  }
  EXPECT_FALSE(folder.Exists("f.bin"));
  const std::string part = folder.Read("f.bin.part");
  ASSERT_TRUE(folder.Exists("f.bin.part"));
  ASSERT_GT(part.size(), 0u);
  ASSERT_LT(part.size(), size);
  EXPECT_EQ(part, body.substr(0, part.size()));
  const std::string from = std::to_string(part.size());
  ScriptedPeer peer;
  peer.StepLimit(3000)
      .Expect(GetHead(peer, "/f", "Range: bytes=" + from + "-\r\n"))
      .Send(Response("206 Partial Content", body.substr(part.size()),
                     "Content-Range: bytes " + from + "-299999/300000\r\n"))
      .Close()
      .Start();
  Fetch(PeerUrl(peer, "/f"), "f.bin");
  ASSERT_TRUE(peer.WaitDone());
  EXPECT_TRUE(peer.Failures().empty()) << peer.Failures().front();
  EXPECT_TRUE(folder.Read("f.bin") == body);
}

TEST_F(HttpDriver, NameProbe) {
  struct Case {
    std::string header;
    std::string file;  // empty: no usable name
  } cases[] = {{"Content-Disposition: attachment; filename=\"a b.zip\"\r\n", "a b.zip"},
               {"Content-Disposition: attachment; filename=../../etc/evil.zip\r\n", "evil.zip"},
               {"Content-Disposition: attachment; filename=\"..\"\r\n", ""}};
  for (const Case& c : cases) {
    ScriptedPeer peer;
    peer.StepLimit(3000)
        .Expect(GetHead(peer, "/dl/", "Range: bytes=0-1024\r\n"))
        .Send(Response("206 Partial Content", "x", c.header))
        .Close();
    if (!c.file.empty()) {
      peer.Accept().Expect(GetHead(peer, "/dl/")).Send(Response("200 OK", "zipdata", c.header)).Close();
    }
    peer.Start();
    if (c.file.empty()) {
      try {
        Fetch(PeerUrl(peer, "/dl/"), "");
        ADD_FAILURE() << "no error for " << c.header;
      } catch (const EDownloadError& error) {
        EXPECT_STREQ(error.what(), "Favor informar o nome do arquivo para download!");
      }
    } else {
      Fetch(PeerUrl(peer, "/dl/"), "");
      EXPECT_EQ(folder.Read(c.file), "zipdata") << c.header;
    }
    ASSERT_TRUE(peer.WaitDone());
    EXPECT_TRUE(peer.Failures().empty()) << c.header << peer.Failures().front();
  }
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(folder.Path()).parent_path() / "etc"));
}

TEST_F(HttpDriver, RangeNotSatisfiable) {
  struct Case {
    const char* label;
    std::string content_range;
    bool finished;
  } cases[] = {{"complete", "Content-Range: bytes */10\r\n", true},
               {"other size", "Content-Range: bytes */7\r\n", false}};
  for (const Case& c : cases) {
    folder.Write("r.bin.part", "0123456789");
    ScriptedPeer peer;
    peer.StepLimit(3000)
        .Expect(GetHead(peer, "/r", "Range: bytes=10-\r\n"))
        .Send(Response("416 Range Not Satisfiable", "<html>no</html>", c.content_range))
        .Close()
        .Start();
    Fetch(PeerUrl(peer, "/r"), "r.bin");
    ASSERT_TRUE(peer.WaitDone());
    EXPECT_FALSE(folder.Exists("r.bin.part")) << c.label;
    EXPECT_EQ(folder.Exists("r.bin"), c.finished) << c.label;
    if (c.finished) {
      EXPECT_EQ(folder.Read("r.bin"), "0123456789");
    }
    std::filesystem::remove(folder.File("r.bin"));
  }
}

TEST_F(HttpDriver, ResumeAnsweredWithWholeFileRestarts) {
  folder.Write("w.bin.part", "stale");
  ScriptedPeer peer;
  peer.StepLimit(3000)
      .Expect(GetHead(peer, "/w", "Range: bytes=5-\r\n"))
      .Send(Response("200 OK", "complete file"))
      .Close()
      .Start();
  Fetch(PeerUrl(peer, "/w"), "w.bin");
  ASSERT_TRUE(peer.WaitDone());
  EXPECT_EQ(folder.Read("w.bin"), "complete file");
}

// Stop deletes the part file, pause keeps it; either way one status event, from the setter.
TEST_F(HttpDriver, StopAndPauseFromMonitor) {
  for (const TDownloadStatus wanted : {stStop, stPause}) {
    ScriptedPeer peer;
    peer.StepLimit(3000)
        .Expect(GetHead(peer, "/big"))
        .Send("HTTP/1.0 200 OK\r\nContent-Length: 1000000\r\n\r\n")
        .SendRepeatedly(std::string(1000, 'z'), 50, 20)
        .Close();
    peer.Start();
    statuses.clear();
    on_monitor = [this, wanted] {
      if (downloader.DownloadStatus() != wanted) downloader.SetDownloadStatus(wanted);
    };
    Fetch(PeerUrl(peer, "/big"), "big.bin");
    on_monitor = nullptr;
    EXPECT_EQ(statuses, std::vector<TDownloadStatus>{wanted});
    EXPECT_EQ(downloader.DownloadStatus(), wanted);
    EXPECT_EQ(folder.Exists("big.bin.part"), wanted == stPause);
    EXPECT_FALSE(folder.Exists("big.bin"));
  }
}

// A resumed download's speed counts only the bytes of this transfer: 4 MiB already on disk
// would otherwise show as thousands of KB/s for 20 KiB that took a third of a second.
TEST_F(HttpDriver, SpeedAndRemainingTimeCountOnlyThisTransfer) {
  constexpr std::size_t kResumed = 4 << 20;
  constexpr int kChunks = 10;
  constexpr std::size_t kChunk = 2048;
  folder.Write("s.bin.part", std::string(kResumed, 'r'));
  ScriptedPeer peer;
  peer.StepLimit(3000)
      .Expect(GetHead(peer, "/s", "Range: bytes=" + std::to_string(kResumed) + "-\r\n"))
      .Send("HTTP/1.0 206 Partial Content\r\nContent-Range: bytes " + std::to_string(kResumed) +
            "-" + std::to_string(kResumed + kChunks * kChunk - 1) + "/" +
            std::to_string(kResumed + kChunks * kChunk) + "\r\nContent-Length: " +
            std::to_string(kChunks * kChunk) + "\r\n\r\n")
      .SendRepeatedly(std::string(kChunk, 's'), kChunks, 30)
      .Close()
      .Start();
  double last_speed = -1;
  int last_sec = -1;
  downloader.SetOnHookMonitor([&](TBlockSocket&, std::int32_t, std::int32_t, double speed,
                                  std::uint16_t, std::uint16_t, std::uint16_t sec) {
    last_speed = speed;
    last_sec = sec;
  });
  const auto started = std::chrono::steady_clock::now();
  Fetch(PeerUrl(peer, "/s"), "s.bin");
  const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  ASSERT_TRUE(peer.WaitDone());
  ASSERT_EQ(folder.Size("s.bin"), static_cast<std::int64_t>(kResumed + kChunks * kChunk));
  const double transferred_kib = kChunks * kChunk / 1024.0;
  // At least what arrived over the whole call, at most what arrived over the peer's pauses.
  EXPECT_GE(last_speed, transferred_kib / took);
  EXPECT_LE(last_speed, transferred_kib / 0.2);
  EXPECT_EQ(last_sec, 0) << "nothing is left to download";
}

// The finished file replaces the old one in one step. While another program holds the old
// one open (Windows refuses the replacement then) the driver retries for a short while; when
// it stays held the download fails with the rename message and neither file is lost.
TEST_F(HttpDriver, FinishedFileReplacesAHeldOldOne) {
  for (const int hold_ms : {300, 3000}) {
    SCOPED_TRACE(hold_ms);
    folder.Write("h.bin", "old content");
    ScriptedPeer peer;
    peer.StepLimit(3000).Expect(GetHead(peer, "/h")).Send(Response("200 OK", "new")).Close().Start();
    std::string error;
    auto held = FileStream::Open(folder.File("h.bin"), FileStream::Mode::OpenReadWrite, &error);
    ASSERT_TRUE(held) << error;
    std::thread release([&held, hold_ms] {
      std::this_thread::sleep_for(std::chrono::milliseconds(hold_ms));
      held.reset();
    });
    std::string message;
    try {
      Fetch(PeerUrl(peer, "/h"), "h.bin");
    } catch (const EDownloadError& failure) {
      message = failure.what();
    }
    release.join();
    ASSERT_TRUE(peer.WaitDone());
#ifdef _WIN32
    const bool replaced = hold_ms < 1000;
#else
    const bool replaced = true;  // POSIX renames onto an open file
#endif
    if (replaced) {
      EXPECT_EQ(message, "");
      EXPECT_EQ(folder.Read("h.bin"), "new");
      EXPECT_FALSE(folder.Exists("h.bin.part"));
    } else {
      EXPECT_EQ(message, "Não foi possível renomear o arquivo: " + folder.File("h.bin.part") +
                             " para " + folder.File("h.bin"));
      EXPECT_EQ(folder.Read("h.bin"), "old content");
      EXPECT_EQ(folder.Read("h.bin.part"), "new");
      std::filesystem::remove(folder.File("h.bin.part"));
    }
  }
}

TEST_F(HttpDriver, StartFromInsideARunningDownloadIsRefused) {
  ScriptedPeer peer;
  peer.StepLimit(3000)
      .Expect(GetHead(peer, "/n"))
      .Send("HTTP/1.0 200 OK\r\nContent-Length: 6\r\n\r\n")
      .Wait(50)
      .Send("nested")
      .Close()
      .Start();
  std::string message;
  on_monitor = [this, &message] {
    if (!message.empty()) return;
    try {
      downloader.StartDownload();
      message = "no error";
    } catch (const EDownloadError& error) {
      message = error.what();
    }
  };
  Fetch(PeerUrl(peer, "/n"), "n.bin");
  EXPECT_EQ(message, "Um download já está em andamento; aguarde o seu término.");
  EXPECT_EQ(folder.Read("n.bin"), "nested");
}

TEST_F(HttpDriver, ProxySettingsReachTheClientWithAGivenName) {
  ScriptedPeer proxy;
  proxy.StepLimit(3000)
      .Receive(40)
      .Send(Response("200 OK", "via proxy"))
      .Close()
      .Start();
  downloader.Proxy().ProxyHost = proxy.Host();
  downloader.Proxy().ProxyPort = proxy.PortText();
  Fetch("http://download.example/p.bin", "p.bin");
  ASSERT_TRUE(proxy.WaitDone());
  EXPECT_EQ(proxy.Received().substr(0, 40), "GET http://download.example:80/p.bin HTT");
  EXPECT_EQ(folder.Read("p.bin"), "via proxy");
}

}  // namespace
}  // namespace ov
