// TTCPBlockSocket through real proxies from Debian: microsocks for SOCKS 5 (with and without
// user name and password) and tinyproxy for HTTP CONNECT, each carrying a real exchange to a
// loopback target played by the test.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "net/tcp_block_socket.h"
#include "support/proxy_servers.h"
#include "support/requirements.h"
#include "support/scripted_peer.h"

namespace ov {
namespace {

using testing::DaemonProcess;
using testing::ProxyProgramName;
using testing::ScriptedPeer;

// The target: answers one request line and waits for the client to close.
void PlayEchoTarget(ScriptedPeer& target) {
  target.Expect("ping\r\n").Send("pong\r\n").ReceiveUntilClose();
  target.Start();
}

void ExchangeThrough(TTCPBlockSocket& socket, ScriptedPeer& target) {
  socket.SendString("ping\r\n");
  ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  EXPECT_EQ(socket.RecvString(5000), "pong");
  EXPECT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  socket.CloseSocket();
  EXPECT_TRUE(target.WaitDone());
  EXPECT_TRUE(target.Failures().empty()) << target.Failures().front();
}

// Points `socket` at the loopback proxy, SOCKS 5 or HTTP CONNECT, with a five-second limit.
void UseSocks5Proxy(TTCPBlockSocket& socket, const DaemonProcess& proxy) {
  socket.SocksIP = "127.0.0.1";
  socket.SocksPort = proxy.PortText();
  socket.SocksTimeout = 5000;
}

void UseTunnelProxy(TTCPBlockSocket& socket, const DaemonProcess& proxy) {
  socket.HTTPTunnelIP = "127.0.0.1";
  socket.HTTPTunnelPort = proxy.PortText();
  socket.HTTPTunnelTimeout = 5000;
}

TEST(ProxyPeers, Socks5WithoutCredentials) {
  OV_REQUIRE_PROGRAM(program, ProxyProgramName("microsocks"), "microsocks");
  std::string error;
  const std::unique_ptr<DaemonProcess> proxy = testing::StartSocks5Server(program, "", "", &error);
  ASSERT_TRUE(proxy) << error;
  ScriptedPeer target;
  PlayEchoTarget(target);

  TTCPBlockSocket socket;
  UseSocks5Proxy(socket, *proxy);
  socket.Connect(target.Host(), target.PortText());
  ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  EXPECT_TRUE(socket.UsingSocks());
  EXPECT_EQ(socket.SocksLastError(), 0);
  EXPECT_EQ(socket.GetRemoteSinIP(), target.Host());
  EXPECT_EQ(socket.GetRemoteSinPort(), target.Port());
  ExchangeThrough(socket, target);
}

TEST(ProxyPeers, Socks5WithCredentialsAndRemoteNameResolution) {
  OV_REQUIRE_PROGRAM(program, ProxyProgramName("microsocks"), "microsocks");
  std::string error;
  const std::unique_ptr<DaemonProcess> proxy =
      testing::StartSocks5Server(program, "installer", "s3cret", &error);
  ASSERT_TRUE(proxy) << error;
  ScriptedPeer target;
  PlayEchoTarget(target);

  TTCPBlockSocket socket;
  UseSocks5Proxy(socket, *proxy);
  socket.SocksUsername = "installer";
  socket.SocksPassword = "wrong";
  socket.Connect(target.Host(), target.PortText());
  EXPECT_EQ(socket.LastError(), 10091);
  EXPECT_FALSE(socket.UsingSocks());
  socket.CloseSocket();

  socket.SocksPassword = "s3cret";
  socket.Connect("localhost", target.PortText());  // the proxy resolves the name
  ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  EXPECT_TRUE(socket.UsingSocks());
  ExchangeThrough(socket, target);
}

TEST(ProxyPeers, Socks5TargetRefused) {
  OV_REQUIRE_PROGRAM(program, ProxyProgramName("microsocks"), "microsocks");
  std::string error;
  const std::unique_ptr<DaemonProcess> proxy = testing::StartSocks5Server(program, "", "", &error);
  ASSERT_TRUE(proxy) << error;
  std::string closed_port;
  {
    ScriptedPeer gone;
    closed_port = gone.PortText();
  }
  TTCPBlockSocket socket;
  UseSocks5Proxy(socket, *proxy);
  socket.Connect("127.0.0.1", closed_port);
  EXPECT_EQ(socket.LastError(), 10091);
  EXPECT_EQ(socket.SocksLastError(), 5);  // connection refused, as the proxy reports it
}

TEST(ProxyPeers, HttpConnectTunnel) {
  OV_REQUIRE_PROGRAM(program, ProxyProgramName("tinyproxy"), "tinyproxy");
  ScriptedPeer target;
  std::string error;
  const std::unique_ptr<DaemonProcess> proxy =
      testing::StartTunnelProxy(program, target.Port(), &error);
  ASSERT_TRUE(proxy) << error;
  PlayEchoTarget(target);

  TTCPBlockSocket socket;
  UseTunnelProxy(socket, *proxy);
  socket.Connect(target.Host(), target.PortText());
  ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  EXPECT_TRUE(socket.HTTPTunnel());
  EXPECT_EQ(socket.GetRemoteSinIP(), target.Host());
  EXPECT_EQ(socket.GetRemoteSinPort(), target.Port());
  ExchangeThrough(socket, target);
}

// The proxy allows CONNECT to one port only; any other is refused with a 403.
TEST(ProxyPeers, HttpConnectToForbiddenPortIsRefused) {
  OV_REQUIRE_PROGRAM(program, ProxyProgramName("tinyproxy"), "tinyproxy");
  ScriptedPeer allowed;
  ScriptedPeer forbidden;
  forbidden.ReceiveUntilClose();
  forbidden.Start();
  std::string error;
  const std::unique_ptr<DaemonProcess> proxy =
      testing::StartTunnelProxy(program, allowed.Port(), &error);
  ASSERT_TRUE(proxy) << error;

  TTCPBlockSocket socket;
  UseTunnelProxy(socket, *proxy);
  socket.Connect(forbidden.Host(), forbidden.PortText());
  EXPECT_EQ(socket.LastError(), 10061);
  EXPECT_FALSE(socket.HTTPTunnel());
  EXPECT_EQ(forbidden.Connections(), 0);
}

}  // namespace
}  // namespace ov
