// HTTP CONNECT tunnels through TTCPBlockSocket against a scripted proxy: the request bytes,
// success and the ways a proxy can refuse, close, stay silent or flood.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "net/tcp_block_socket.h"
#include "support/scripted_peer.h"

namespace ov {
namespace {

using testing::ScriptedPeer;

class TunnelSocket : public ::testing::Test {
 protected:
  void SetUp() override {
    socket.HTTPTunnelIP = proxy.Host();
    socket.HTTPTunnelPort = proxy.PortText();
    socket.HTTPTunnelTimeout = 3000;
    socket.OnStatus = [this](TBlockSocket&, THookSocketReason reason, const std::string& value) {
      if (reason == HR_Connect || reason == HR_Error) events.push_back(value);
    };
    socket.OnAfterConnect = [this](TBlockSocket&) { ++after_connect; };
  }
  void ExpectProxyDone() {
    EXPECT_TRUE(proxy.WaitDone());
    EXPECT_TRUE(proxy.Failures().empty()) << proxy.Failures().front();
  }

  std::vector<std::string> events;  // HR_Connect and HR_Error values
  int after_connect = 0;
  ScriptedPeer proxy;
  TTCPBlockSocket socket;  // after what its handlers touch: destroyed first
};

TEST_F(TunnelSocket, ConnectWithCredentialsCarriesTheStream) {
  proxy
      .Expect(
          "CONNECT 10.1.2.3:443 HTTP/1.0\r\n"
          "Proxy-Authorization: Basic dXNlcjpwYXNz\r\n"
          "\r\n")
      .Send("HTTP/1.0 200 Connection established\r\nProxy-agent: test\r\n\r\nfirst bytes")
      .Expect("ping")
      .ReceiveUntilClose();
  proxy.Start();
  socket.HTTPTunnelUser = "user";
  socket.HTTPTunnelPass = "pass";

  socket.Connect("10.1.2.3", "443");

  ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  EXPECT_TRUE(socket.HTTPTunnel());
  EXPECT_EQ(after_connect, 1);
  // The only HR_Connect is the proxy's.
  EXPECT_EQ(events, std::vector<std::string>{proxy.Host() + ":" + proxy.PortText()});
  EXPECT_EQ(socket.GetRemoteSinIP(), "10.1.2.3");
  EXPECT_EQ(socket.GetRemoteSinPort(), 443);
  EXPECT_EQ(socket.RecvPacket(3000), "first bytes");
  socket.SendString("ping");
  socket.CloseSocket();
  ExpectProxyDone();
}

// The port goes out as a number even when given as a service name.
TEST_F(TunnelSocket, Ip6TargetIsBracketedWithoutCredentials) {
  proxy.Expect("CONNECT [::1]:443 HTTP/1.0\r\n\r\n")
      .Send("HTTP/1.1 200 OK\r\n\r\n")
      .ReceiveUntilClose();
  proxy.Start();
  socket.Connect("::1", "https");
  ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  EXPECT_EQ(socket.GetRemoteSinIP(), "[::1]");
  EXPECT_EQ(socket.GetRemoteSinPort(), 443);
  socket.CloseSocket();
  ExpectProxyDone();
}

struct Refusal {
  const char* name;
  std::string answer;  // what the proxy sends after the request
  bool close_after;    // the proxy closes instead of waiting
  int error;
};
void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

class TunnelRefusal : public TunnelSocket, public ::testing::WithParamInterface<Refusal> {};

TEST_P(TunnelRefusal, LeavesTheTunnelClosed) {
  const Refusal& r = GetParam();
  proxy.Expect("CONNECT 10.0.0.1:80 HTTP/1.0\r\n\r\n").Send(r.answer);
  if (r.close_after) {
    proxy.Close();
  } else {
    proxy.Stall();
  }
  proxy.Start();
  socket.HTTPTunnelTimeout = 300;

  socket.Connect("10.0.0.1", "80");

  EXPECT_EQ(socket.LastError(), r.error) << socket.LastErrorDesc();
  EXPECT_FALSE(socket.HTTPTunnel());
  EXPECT_EQ(after_connect, 0);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().substr(0, 6), std::to_string(r.error) + ",");
}

INSTANTIATE_TEST_SUITE_P(
    Proxies, TunnelRefusal,
    ::testing::Values(Refusal{"auth_required", "HTTP/1.1 407 Proxy Authentication Required\r\n\r\n",
                              false, 10061},
                      Refusal{"forbidden_then_close", "HTTP/1.0 403 Forbidden\r\n\r\n", true,
                              10061},
                      Refusal{"status_line_too_short", "HTTP/1.0 2\r\n\r\n", false, 10061},
                      Refusal{"no_status_line", "200 OK\r\n\r\n", false, 10061},
                      Refusal{"closes_without_answer", "", true, 10054},
                      Refusal{"closes_mid_answer", "HTTP/1.0 200 OK\r\n", true, 10054},
                      Refusal{"stays_silent", "", false, 10060}),
    [](const auto& info) { return std::string(info.param.name); });

// Twelve characters counting the CR are enough for the status test.
TEST_F(TunnelSocket, ShortestAcceptedStatusLine) {
  proxy.Expect("CONNECT 10.0.0.1:80 HTTP/1.0\r\n\r\n")
      .Send("HTTP/1.0 20\r\n\r\n")
      .ReceiveUntilClose();
  proxy.Start();
  socket.Connect("10.0.0.1", "80");
  EXPECT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  EXPECT_TRUE(socket.HTTPTunnel());
  socket.CloseSocket();
  ExpectProxyDone();
}

TEST_F(TunnelSocket, UnreachableProxyReportsItsConnectError) {
  {
    ScriptedPeer gone;  // a port that was free a moment ago and is closed again
    socket.HTTPTunnelPort = gone.PortText();
  }
  socket.Connect("10.0.0.1", "80");
  EXPECT_EQ(socket.LastError(), 10061);
  EXPECT_FALSE(socket.HTTPTunnel());
}

// A proxy that floods one endless header line stops at the line limit instead of exhausting
// memory.
TEST_F(TunnelSocket, EndlessAnswerLineIsCutOff) {
  proxy.Expect("CONNECT 10.0.0.1:80 HTTP/1.0\r\n\r\n")
      .Send("HTTP/1.0 200 OK\r\nX-Flood: ")
      .SendRepeatedly(std::string(64 * 1024, 'x'), 24, 0)
      .Stall();
  proxy.Start();
  socket.Connect("10.0.0.1", "80");
  EXPECT_EQ(socket.LastError(), 10055);
  EXPECT_EQ(socket.MaxLineLength, 0);  // the caller's setting is left as it was
}

}  // namespace
}  // namespace ov
