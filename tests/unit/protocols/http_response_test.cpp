// Responses read by THTTPSend from a scripted server: status lines, header folding, the three
// body framings, connection reuse, cookies and the failures a hostile or broken server causes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "net/stream.h"
#include "net/tcp_block_socket.h"
#include "protocols/http_send.h"
#include "unit/protocols/http_test_util.h"

namespace ov {
namespace {

using testing::PeerUrl;
using testing::ScriptedPeer;
using testing::SizedResponse;

// A client with short waits, and a peer that reads the request head before it answers.
struct Exchange {
  // Declared before the client: its socket still reports its close while being destroyed.
  std::vector<std::string> events;  // "HR_Connect", "HR_SocketClose", ...
  ScriptedPeer peer;
  THTTPSend http;

  Exchange() {
    http.Timeout = 3000;
    peer.StepLimit(3000);
    http.Sock().OnStatus = [this](TBlockSocket&, THookSocketReason reason, const std::string&) {
      if (reason == HR_Connect || reason == HR_SocketClose)
        events.push_back(HookReasonName(reason));
    };
  }
  // Reads one request head: everything up to the empty line (the client sends no body here).
  ScriptedPeer& AwaitRequest() { return peer.Receive(RequestHeadSize()); }
  // Size of the head of a GET of "/r" ("1.0" and "1.1" are equally long).
  std::size_t RequestHeadSize(const std::string& extra_lines = "") const {
    return std::string("GET /r HTTP/1.0\r\nHost: 127.0.0.1:" + peer.PortText() +
                       "\r\nKeep-Alive: 300\r\nConnection: keep-alive\r\n" + extra_lines +
                       "User-Agent: Mozilla/4.0 (compatible; Instalador)\r\n\r\n")
        .size();
  }
  bool Get() { return http.HTTPMethod("GET", PeerUrl(peer, "/r")); }
  int Count(const std::string& event) const {
    int n = 0;
    for (const std::string& e : events) n += e == event ? 1 : 0;
    return n;
  }
};

TEST(HttpResponse, SizedBodyHeadersAndMimeType) {
  Exchange x;
  x.AwaitRequest().Send(SizedResponse("hello", "Content-Type:  text/plain \r\n")).Close().Start();
  ASSERT_TRUE(x.Get());
  EXPECT_EQ(x.http.ResultCode(), 200);
  EXPECT_EQ(x.http.ResultString(), "OK");
  EXPECT_EQ(x.http.Document().Data(), "hello");
  EXPECT_EQ(x.http.Document().Position(), 0);
  EXPECT_EQ(x.http.DownloadSize(), 5);
  EXPECT_EQ(x.http.MimeType, "text/plain");
  const std::vector<std::string> expected = {"HTTP/1.1 200 OK", "Content-Length: 5",
                                             "Content-Type:  text/plain", ""};
  EXPECT_EQ(x.http.Headers(), expected);
  // Protocol "1.0": the connection is always closed after the response.
  EXPECT_EQ(x.Count("HR_SocketClose"), 2);  // the close before connecting, and the final one
}

TEST(HttpResponse, InterimContinueIsSkippedAndKept) {
  Exchange x;
  x.AwaitRequest()
      .Send("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")
      .Close()
      .Start();
  ASSERT_TRUE(x.Get());
  EXPECT_EQ(x.http.ResultCode(), 200);
  ASSERT_GE(x.http.Headers().size(), 2u);
  EXPECT_EQ(x.http.Headers()[0], "HTTP/1.1 100 Continue");
  EXPECT_EQ(x.http.Headers()[1], "HTTP/1.1 200 OK");
  EXPECT_EQ(x.http.Document().Data(), "ok");
}

TEST(HttpResponse, MissingStatusLineMakesEverythingBody) {
  Exchange x;
  x.AwaitRequest().Send("<html>old\r\nstyle</html>").Close().Start();
  ASSERT_TRUE(x.Get());
  EXPECT_EQ(x.http.ResultCode(), 0);
  EXPECT_TRUE(x.http.Headers().empty());
  EXPECT_EQ(x.http.Document().Data(), "<html>old\r\nstyle</html>");
}

TEST(HttpResponse, HeaderFoldedOverThreeLinesIsJoined) {
  Exchange x;
  x.AwaitRequest()
      .Send("HTTP/1.0 200 OK\r\nX-Long: one\r\n two\r\n\tthree\r\nContent-Length: 1\r\n\r\n!")
      .Close()
      .Start();
  ASSERT_TRUE(x.Get());
  const std::vector<std::string> expected = {"HTTP/1.0 200 OK", "X-Long: one two three",
                                             "Content-Length: 1", ""};
  EXPECT_EQ(x.http.Headers(), expected);
  EXPECT_EQ(x.http.Document().Data(), "!");
}

TEST(HttpResponse, LineEndsInLfAloneAreAccepted) {
  Exchange x;
  x.AwaitRequest().Send("HTTP/1.0 404 Not Found\nContent-Length: 3\n\nnot").Close().Start();
  ASSERT_TRUE(x.Get());
  EXPECT_EQ(x.http.ResultCode(), 404);
  EXPECT_EQ(x.http.ResultString(), "Not Found");
  EXPECT_EQ(x.http.Document().Data(), "not");
}

TEST(HttpResponse, ChunkedWithExtensionsAndTrailerThenReuse) {
  Exchange x;
  x.http.Protocol = "1.1";
  const std::string second_head =
      "GET /r HTTP/1.1\r\nHost: 127.0.0.1:" + x.peer.PortText() +
      "\r\nKeep-Alive: 300\r\nConnection: keep-alive\r\nUser-Agent: Mozilla/4.0 (compatible; "
      "Instalador)\r\n\r\n";
  x.peer.Receive(second_head.size())
      .Send(
          "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 3\r\n\r\n"
          "5;name=value\r\nhello\r\n"
          "1A ; other\r\nabcdefghijklmnopqrstuvwxyz\r\n"
          "0\r\nX-Checksum: 1234\r\nX-More: 5\r\n\r\n")
      .Expect(second_head)
      .Send(SizedResponse("again"))
      .Close()
      .Start();
  ASSERT_TRUE(x.Get()) << x.http.Sock().LastErrorDesc();
  EXPECT_EQ(x.http.Document().Data(), "helloabcdefghijklmnopqrstuvwxyz");
  EXPECT_EQ(x.http.DownloadSize(), 26);  // the last chunk's size
  // The trailer was consumed, so the kept connection starts cleanly with the next answer.
  x.http.Clear();
  ASSERT_TRUE(x.Get()) << x.http.Sock().LastErrorDesc();
  EXPECT_EQ(x.http.ResultCode(), 200);
  EXPECT_EQ(x.http.Document().Data(), "again");
  EXPECT_EQ(x.Count("HR_Connect"), 1);
  EXPECT_EQ(x.peer.Connections(), 1);
}

TEST(HttpResponse, BodyUntilCloseCountsAsSuccess) {
  Exchange x;
  x.AwaitRequest()
      .Send("HTTP/1.0 200 OK\r\n\r\nfirst part,")
      .Wait(100)
      .Send(std::string(100000, 'z'))
      .Close()
      .Start();
  ASSERT_TRUE(x.Get()) << x.http.Sock().LastErrorDesc();
  EXPECT_EQ(x.http.Document().Data(), "first part," + std::string(100000, 'z'));
  EXPECT_EQ(x.http.DownloadSize(), 0);
  EXPECT_EQ(x.http.Sock().LastError(), 0);
}

// A response stream that stops taking bytes (a full disk) fails the request, for a sized body
// and for one that ends with the connection.
TEST(HttpResponse, BodyTheOutputStreamCannotTakeIsAFailure) {
  class FullAfter : public MemoryStream {
   public:
    std::size_t Write(const void* buffer, std::size_t count) override {
      const std::size_t room = Size() >= 10 ? 0 : std::min<std::size_t>(count, 10 - Size());
      return MemoryStream::Write(buffer, room);
    }
  };
  for (const bool sized : {true, false}) {
    SCOPED_TRACE(sized);
    Exchange x;
    const std::string body(5000, 'd');
    x.AwaitRequest().Send(sized ? SizedResponse(body) : "HTTP/1.0 200 OK\r\n\r\n" + body).Close().Start();
    FullAfter out;
    x.http.OutputStream = &out;
    EXPECT_FALSE(x.Get());
    EXPECT_EQ(out.Data(), std::string(10, 'd'));
  }
}

TEST(HttpResponse, ResetBeforeTheEndOfAnUnsizedBodyIsAFailure) {
  if (testing::RunningUnderWine()) GTEST_SKIP() << "Wine reports a reset as an orderly close";
  Exchange x;
  x.AwaitRequest().Send("HTTP/1.0 200 OK\r\n\r\npartial").Wait(200).Reset().Start();
  EXPECT_FALSE(x.Get());
  EXPECT_EQ(x.http.Sock().LastError(), 10054);
  EXPECT_EQ(x.http.Document().Data(), "partial");
}

TEST(HttpResponse, ConnectionDroppedMidBodyKeepsThePartialBody) {
  Exchange x;
  x.AwaitRequest()
      .Send("HTTP/1.0 200 OK\r\nContent-Length: 200000\r\n\r\n" + std::string(100000, 'p'))
      .Close()
      .Start();
  EXPECT_FALSE(x.Get());
  EXPECT_EQ(x.http.Sock().LastError(), 10054);
  EXPECT_EQ(x.http.ResultCode(), 200);
  EXPECT_EQ(x.http.DownloadSize(), 200000);
  // Whole receive blocks that arrived are kept; the block cut short is not.
  EXPECT_EQ(x.http.Document().Data(), std::string(65536, 'p'));
  EXPECT_EQ(x.http.Document().Position(), 0);
}

TEST(HttpResponse, SilenceMidBodyTimesOut) {
  Exchange x;
  x.http.Timeout = 300;
  x.AwaitRequest().Send("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabc").Stall().Start();
  EXPECT_FALSE(x.Get());
  EXPECT_EQ(x.http.Sock().LastError(), 10060);
  EXPECT_EQ(x.Count("HR_SocketClose"), 2);  // closed at once, not drained
}

TEST(HttpResponse, OldStyleRequestSendsOnlyTheRequestLine) {
  Exchange x;
  x.http.Protocol = "0.9";
  x.peer.Expect("GET /old\r\n").Send("<p>page</p>\nmore").Close().Start();
  ASSERT_TRUE(x.http.HTTPMethod("GET", PeerUrl(x.peer, "/old")));
  EXPECT_EQ(x.http.ResultCode(), 0);
  EXPECT_EQ(x.http.Document().Data(), "<p>page</p>\r\nmore");
}

TEST(HttpResponse, HttpsWithoutProxyStopsAtTheTlsSlot) {
  Exchange x;
  x.peer.Stall().Start();
  const std::string url = "https://127.0.0.1:" + x.peer.PortText() + "/";
  EXPECT_FALSE(x.http.HTTPMethod("GET", url));
  EXPECT_EQ(x.http.Sock().LastError(), 10091);
  EXPECT_EQ(x.http.Sock().LastErrorDesc(), "SSL/TLS support is not compiled!");
  EXPECT_EQ(x.http.ResultCode(), 500);
  EXPECT_TRUE(x.http.Sock().SSL().SNIHost.empty());
}

TEST(HttpResponse, ChunkSizeThatIsNotHexIsAnError) {
  for (const char* size_line : {"zz", "", "-5", "12345678901234567"}) {
    Exchange x;
    x.http.Protocol = "1.1";
    x.AwaitRequest()
        .Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n" +
              std::string(size_line) + " \r\nmore\r\n0\r\n\r\n")
        .Stall()
        .Start();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(x.Get()) << size_line;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << size_line;
    EXPECT_EQ(x.http.Document().Data(), "abc") << size_line;
    // The connection is not kept: its stream can no longer be framed.
    EXPECT_EQ(x.Count("HR_SocketClose"), 2) << size_line;
  }
}

TEST(HttpResponse, EndlessHeaderLineIsCutOff) {
  Exchange x;
  x.http.Timeout = 10000;
  x.AwaitRequest()
      .Send("HTTP/1.0 200 OK\r\nX-Flood: ")
      .SendRepeatedly(std::string(64 * 1024, 'f'), 40, 0)  // 2.5 MiB without a line end
      .Stall()
      .Start();
  EXPECT_FALSE(x.Get());
  EXPECT_EQ(x.http.Sock().LastError(), 10055);
  EXPECT_EQ(x.http.ResultCode(), 200);
}

TEST(HttpResponse, EndlessHeaderBlockIsCutOff) {
  Exchange x;
  x.http.Timeout = 10000;
  x.AwaitRequest()
      .Send("HTTP/1.0 200 OK\r\n")
      .SendRepeatedly("X-Many: " + std::string(1000, 'm') + "\r\n", 2000, 0)  // 2 MB of lines
      .Stall()
      .Start();
  EXPECT_FALSE(x.Get());
  EXPECT_EQ(x.http.Headers().size(), 1u);  // only the status line: the rest was refused
  EXPECT_EQ(x.Count("HR_SocketClose"), 2);
}

TEST(HttpResponse, NoBodyIsReadForHeadAnd204And304) {
  struct Case {
    const char* method;
    const char* status;
  } cases[] = {{"HEAD", "200 OK"}, {"GET", "204 No Content"}, {"GET", "304 Not Modified"}};
  for (const Case& c : cases) {
    Exchange x;
    x.http.Protocol = "1.1";
    x.AwaitRequest()
        .Send(std::string("HTTP/1.1 ") + c.status + "\r\nContent-Length: 50\r\n\r\n")
        .Stall()
        .Start();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(x.http.HTTPMethod(c.method, PeerUrl(x.peer, "/r"))) << c.status;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << c.status;
    EXPECT_TRUE(x.http.Document().Data().empty());
  }
}

TEST(HttpResponse, ConnectionCloseAnswerIsNotReused) {
  Exchange x;
  x.http.Protocol = "1.1";
  x.AwaitRequest()
      .Send(SizedResponse("1", "Connection: close\r\n"))
      .Close()
      .Receive(x.RequestHeadSize())  // on a new connection
      .Send(SizedResponse("2"))
      .Close()
      .Start();
  ASSERT_TRUE(x.Get());
  x.http.Clear();
  ASSERT_TRUE(x.Get());
  EXPECT_EQ(x.http.Document().Data(), "2");
  EXPECT_EQ(x.Count("HR_Connect"), 2);
  EXPECT_TRUE(x.peer.WaitDone());
  EXPECT_EQ(x.peer.Connections(), 2);
}

TEST(HttpResponse, CookiesAreAddedReplacedAndDeleted) {
  Exchange x;
  x.AwaitRequest()
      .Send(SizedResponse("", "Set-Cookie: a=1; Path=/\r\nSET-COOKIE: b = two \r\n"))
      .Close()
      .Receive(x.RequestHeadSize("Cookie: a=1; b=two\r\n"))
      .Send(SizedResponse("", "set-cookie: A=3\r\nSet-Cookie: flag\r\n"))
      .Close()
      .Start();
  ASSERT_TRUE(x.Get());
  EXPECT_EQ(x.http.Cookies(), (std::vector<std::string>{"a=1", "b=two"}));
  x.http.Clear();
  ASSERT_TRUE(x.Get());
  EXPECT_EQ(x.http.Cookies(), (std::vector<std::string>{"A=3", "b=two", "flag=flag"}));
  EXPECT_TRUE(x.peer.WaitDone());
  EXPECT_NE(x.peer.Received().find("Cookie: a=1; b=two\r\n"), std::string::npos);

  ScriptedPeer again;
  const std::string third_head =
      "GET / HTTP/1.0\r\nHost: 127.0.0.1:" + again.PortText() +
      "\r\nKeep-Alive: 300\r\nConnection: keep-alive\r\nCookie: A=3; b=two; flag=flag\r\n"
      "User-Agent: Mozilla/4.0 (compatible; Instalador)\r\n\r\n";
  again.StepLimit(3000)
      .Expect(third_head)
      .Send(SizedResponse("", "Set-Cookie: a=\r\n"))
      .Close()
      .Start();
  x.http.Clear();
  ASSERT_TRUE(x.http.HTTPMethod("GET", PeerUrl(again, "/")));
  EXPECT_TRUE(again.WaitDone());
  EXPECT_TRUE(again.Failures().empty()) << again.Received();
  EXPECT_EQ(x.http.Cookies(), (std::vector<std::string>{"b=two", "flag=flag"}));
}

TEST(HttpResponse, AbortFromAnEventStopsTheTransfer) {
  Exchange x;
  x.AwaitRequest()
      .Send("HTTP/1.0 200 OK\r\nContent-Length: 10000000\r\n\r\n")
      .SendRepeatedly(std::string(65536, 'a'), 40, 5)
      .Stall()
      .Start();
  x.http.Sock().OnStatus = [&x](TBlockSocket&, THookSocketReason reason, const std::string&) {
    if (reason == HR_ReadCount && x.http.Sock().RecvCounter() > 200000) x.http.Abort();
  };
  EXPECT_FALSE(x.Get());
  EXPECT_EQ(x.http.Sock().LastError(), 10053);
  EXPECT_LT(x.http.Document().Data().size(), 10000000u);
}

TEST(HttpResponse, ConnectionRefusedLeaves500) {
  std::string url;
  {
    ScriptedPeer closed;  // a port that was free a moment ago and is closed again
    url = PeerUrl(closed, "/");
  }
  THTTPSend http;
  EXPECT_FALSE(http.HTTPMethod("GET", url));
  EXPECT_EQ(http.ResultCode(), 500);
  EXPECT_EQ(http.ResultString(), "");
  EXPECT_EQ(http.Sock().LastError(), 10061);
}

TEST(HttpResponse, DecodeStatus) {
  struct Case {
    const char* line;
    int code;
    const char* text;
  } cases[] = {{"HTTP/1.0 200 OK", 200, "OK"},
               {"HTTP/1.0 404", 404, ""},
               {"HTTP/1.1  302  Found  here ", 302, "Found  here"},
               {"HTTP/1.1 abc Bad", 0, "Bad"},
               {"HTTP/1.1", 0, ""}};
  THTTPSend http;
  for (const Case& c : cases) {
    http.DecodeStatus(c.line);
    EXPECT_EQ(http.ResultCode(), c.code) << c.line;
    EXPECT_EQ(http.ResultString(), c.text) << c.line;
  }
}

}  // namespace
}  // namespace ov
