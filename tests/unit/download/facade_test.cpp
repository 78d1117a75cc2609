// The download facade: protocol choice, forwarding to the current driver, settings objects and
// consecutive starts.
#include <gtest/gtest.h>

#include <string>

#include "download/http_downloader.h"
#include "download_fixture.h"

namespace ov {
namespace {

using testing::DownloadFixture;
using testing::GetHead;
using testing::PeerUrl;
using testing::Response;
using testing::ScriptedPeer;

using Facade = DownloadFixture;

TEST_F(Facade, NoProtocolIsRefusedEveryTimeAndChangesNothing) {
  downloader.SetProtocolo(protNenhum);
  downloader.SetDownloadUrl("http://127.0.0.1:1/x");
  TDownloaderEngine* before = &downloader.Engine();
  for (int i = 0; i < 2; ++i) {
    try {
      downloader.StartDownload();
      ADD_FAILURE() << "no error";
    } catch (const EDownloadError& error) {
      EXPECT_STREQ(error.what(),
                   "Antes de iniciar o download, defina o protocolo a ser usado HTTP ou FTP!");
    }
  }
  EXPECT_EQ(&downloader.Engine(), before);
  EXPECT_EQ(downloader.DownloadStatus(), stNone);
  EXPECT_EQ(downloader.Engine().DownloadUrl, "http://127.0.0.1:1/x");
}

TEST(FacadeEngine, EngineNeedsTheFacadeAsOwner) {
  try {
    TDownloaderEngine engine(nullptr);
    ADD_FAILURE() << "no error";
  } catch (const EDownloadError& error) {
    EXPECT_STREQ(error.what(), "Essa Classe deve ser instanciada por TDownloader");
  }
}

TEST(FacadeSettings, ProxyAndFtpWritesCopyIntoTheFacadesObjects) {
  TDownloader downloader;
  TDownloaderProxy proxy;
  proxy.ProxyHost = "proxy.local";
  proxy.ProxyTimeout = 1234;
  downloader.SetProxy(proxy);
  proxy.ProxyHost = "changed later";
  EXPECT_EQ(downloader.Proxy().ProxyHost, "proxy.local");
  EXPECT_EQ(downloader.Proxy().ProxyTimeout, 1234);
  EXPECT_EQ(downloader.Engine().Proxy, &downloader.Proxy());
  TDownloaderFTP ftp;
  ftp.FtpHost = "ftp.local";
  downloader.SetFTP(ftp);
  ftp.FtpHost = "changed later";
  EXPECT_EQ(downloader.FTP().FtpHost, "ftp.local");
  EXPECT_EQ(TDownloaderFTP().FtpTimeout, 300000);
  EXPECT_EQ(TDownloaderProxy().ProxyTimeout, 90000);
}

// Events written after a start reach the running driver at once; written before the next
// start, they are copied into the new driver.
TEST_F(Facade, EventsReachTheCurrentAndTheNextDriver) {
  ScriptedPeer peer;
  peer.StepLimit(3000).Expect(GetHead(peer, "/a")).Send(Response("200 OK", "one")).Close();
  peer.Accept().Expect(GetHead(peer, "/b")).Send(Response("200 OK", "two")).Close();
  peer.Start();
  Fetch(PeerUrl(peer, "/a"), "a.bin");
  int late = 0;
  downloader.SetOnAfterDownload([&late](TDownloaderEngine&) { ++late; });
  ASSERT_TRUE(downloader.Engine().OnAfterDownload);
  downloader.Engine().OnAfterDownload(downloader.Engine());
  EXPECT_EQ(late, 1);
  Fetch(PeerUrl(peer, "/b"), "b.bin");
  ASSERT_TRUE(peer.WaitDone());
  EXPECT_EQ(late, 2);
  EXPECT_EQ(folder.Read("b.bin"), "two");
}

// The second start of the same name closes what the first left open and resumes from it.
TEST_F(Facade, TwoStartsInARowResume) {
  {
    ScriptedPeer peer;
    peer.StepLimit(3000)
        .Expect(GetHead(peer, "/t"))
        .Send(Response("500 Internal Server Error", "busy"))
        .Close()
        .Start();
    Fetch(PeerUrl(peer, "/t"), "t.bin");
    ASSERT_TRUE(peer.WaitDone());
  }
  folder.Write("t.bin.part", "half");  // possible only once the first driver let go of it
  ScriptedPeer peer;
  peer.StepLimit(3000)
      .Expect(GetHead(peer, "/t", "Range: bytes=4-\r\n"))
      .Send(Response("206 Partial Content", "+rest", "Content-Range: bytes 4-8/9\r\n"))
      .Close()
      .Start();
  Fetch(PeerUrl(peer, "/t"), "t.bin");
  ASSERT_TRUE(peer.WaitDone());
  EXPECT_TRUE(peer.Failures().empty()) << peer.Failures().front();
  EXPECT_EQ(folder.Read("t.bin"), "half+rest");
  EXPECT_EQ(downloader.DownloadStatus(), stDownload);
}

}  // namespace
}  // namespace ov
