// TTCPBlockSocket on its own: direct connections, the graceful close, the TLS slot with the
// installed plug-in, and the routing of traffic through a plug-in that reports TLS as active.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "net/net_client.h"
#include "net/ssl_none.h"
#include "net/tcp_block_socket.h"
#include "support/scripted_peer.h"

namespace ov {
namespace {

using testing::ScriptedPeer;

struct StatusLog {
  void Attach(TBlockSocket& socket) {
    socket.OnStatus = [this](TBlockSocket&, THookSocketReason reason, const std::string& value) {
      reasons.push_back(reason);
      if (reason == HR_ReadCount) read_counts.push_back(std::stoi(value));
      if (reason == HR_WriteCount) write_counts.push_back(std::stoi(value));
      if (reason == HR_Error) errors.push_back(value);
    };
  }
  std::vector<THookSocketReason> reasons;
  std::vector<int> read_counts;
  std::vector<int> write_counts;
  std::vector<std::string> errors;
};

TEST(TcpSocket, KindAndNetClientDefaults) {
  TTCPBlockSocket socket;
  EXPECT_EQ(socket.GetSocketType(), 1);
  EXPECT_EQ(socket.GetSocketProtocol(), 6);
  EXPECT_EQ(socket.SocksPort, "1080");
  EXPECT_EQ(socket.SocksTimeout, 60000);
  EXPECT_EQ(socket.HTTPTunnelTimeout, 30000);
  EXPECT_EQ(socket.SSL().LibName(), "ssl_none");
  EXPECT_EQ(socket.SSL().Owner(), &socket);

  const TNetClient client;
  EXPECT_EQ(client.TargetHost, "127.0.0.1");
  EXPECT_EQ(client.TargetPort, "0");
  EXPECT_EQ(client.IPInterface, "0.0.0.0");
  EXPECT_EQ(client.Timeout, 5000);
  EXPECT_EQ(client.UserName, "");
  EXPECT_EQ(client.Password, "");
}

TEST(TcpSocket, AfterConnectFiresOnlyOnSuccess) {
  ScriptedPeer peer;
  peer.ReceiveUntilClose();
  peer.Start();
  TTCPBlockSocket socket;
  int after_connect = 0;
  socket.OnAfterConnect = [&](TBlockSocket& sender) {
    EXPECT_EQ(&sender, &socket);
    ++after_connect;
  };
  socket.Connect(peer.Host(), peer.PortText());
  ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  EXPECT_EQ(after_connect, 1);
  EXPECT_EQ(socket.GetRemoteSinPort(), peer.Port());
  socket.CloseSocket();
  EXPECT_TRUE(peer.WaitDone());

  std::string closed_port;
  {
    ScriptedPeer gone;
    closed_port = gone.PortText();
  }
  socket.Connect("127.0.0.1", closed_port);
  EXPECT_EQ(socket.LastError(), 10061);
  EXPECT_EQ(after_connect, 1);
}

// A clean close shuts the sending side down first, so the peer sees an orderly end, and reads
// what is still waiting, reporting it like any received data.
TEST(TcpSocket, GracefulCloseDrainsPendingData) {
  const std::string pending(5000, 'd');
  ScriptedPeer peer;
  peer.Send(pending).ReceiveUntilClose();
  peer.Start();
  StatusLog log;
  std::int64_t monitored = 0;
  TTCPBlockSocket socket;
  socket.Connect(peer.Host(), peer.PortText());
  ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  for (int i = 0; i < 200 && socket.WaitingData() < static_cast<int>(pending.size()); ++i) {
    socket.CanRead(10);
  }
  ASSERT_EQ(socket.WaitingData(), static_cast<int>(pending.size()));
  log.Attach(socket);
  socket.OnMonitor = [&](TBlockSocket&, bool writing, const void*, std::int32_t len) {
    if (!writing) monitored += len;
  };

  socket.CloseSocket();

  EXPECT_EQ(std::accumulate(log.read_counts.begin(), log.read_counts.end(), 0),
            static_cast<int>(pending.size()));
  EXPECT_EQ(monitored, static_cast<std::int64_t>(pending.size()));
  ASSERT_FALSE(log.reasons.empty());
  EXPECT_EQ(log.reasons.back(), HR_SocketClose);
  EXPECT_EQ(socket.Socket(), ws::kInvalidSocket);
  EXPECT_EQ(socket.LastError(), 0);
  EXPECT_TRUE(peer.WaitDone());
  EXPECT_TRUE(peer.Failures().empty()) << peer.Failures().front();
}

// Destroying a connected socket is a graceful close too, reported once.
TEST(TcpSocket, DestructionClosesGracefullyOnce) {
  ScriptedPeer peer;
  peer.Send("bye").ReceiveUntilClose();
  peer.Start();
  StatusLog log;
  {
    TTCPBlockSocket socket;
    socket.Connect(peer.Host(), peer.PortText());
    ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
    for (int i = 0; i < 200 && socket.WaitingData() < 3; ++i) socket.CanRead(10);
    log.Attach(socket);
  }
  EXPECT_EQ(log.read_counts, std::vector<int>{3});
  EXPECT_EQ(std::count(log.reasons.begin(), log.reasons.end(), HR_SocketClose), 1);
  EXPECT_TRUE(peer.WaitDone());
  EXPECT_TRUE(peer.Failures().empty()) << peer.Failures().front();
}

TEST(TcpSocket, CloseAfterAnErrorIsImmediate) {
  ScriptedPeer peer;
  peer.Send("unread data").Stall();
  peer.Start();
  StatusLog log;
  TTCPBlockSocket socket;
  socket.Connect(peer.Host(), peer.PortText());
  ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  for (int i = 0; i < 200 && socket.WaitingData() == 0; ++i) socket.CanRead(10);
  ASSERT_GT(socket.WaitingData(), 0);
  socket.StopFlag = true;
  socket.SendString("never sent");
  ASSERT_EQ(socket.LastError(), 10053);
  log.Attach(socket);

  socket.CloseSocket();

  EXPECT_TRUE(log.read_counts.empty());
  EXPECT_EQ(log.reasons, std::vector<THookSocketReason>{HR_SocketClose});
  EXPECT_EQ(socket.RecvCounter(), 0);
}

TEST(TcpSocket, InstalledPluginRefusesTls) {
  ScriptedPeer peer;
  peer.ReceiveUntilClose();
  peer.Start();
  StatusLog log;
  TTCPBlockSocket socket;
  log.Attach(socket);
  socket.Connect(peer.Host(), peer.PortText());
  ASSERT_EQ(socket.LastError(), 0);

  socket.SSLDoConnect();
  EXPECT_EQ(socket.LastError(), 10091);
  EXPECT_EQ(socket.LastErrorDesc(), "SSL/TLS support is not compiled!");
  EXPECT_EQ(log.errors, std::vector<std::string>{"10091,SSL/TLS support is not compiled!"});
  EXPECT_FALSE(socket.SSLAcceptConnection());
  EXPECT_EQ(socket.LastError(), 10091);
  socket.SSLDoShutdown();
  EXPECT_EQ(socket.LastError(), 0);

  // Without TLS the stream still works as plain TCP.
  socket.SendString("plain");
  EXPECT_EQ(socket.LastError(), 0);
  socket.CloseSocket();
  EXPECT_TRUE(peer.WaitDone());
  EXPECT_EQ(peer.Received(), "plain");
}

// A plug-in that reports TLS as active and plays canned results, recording what it is given.
class FakeTls : public TCustomSSL {
 public:
  using TCustomSSL::TCustomSSL;
  static std::unique_ptr<TCustomSSL> Create(TTCPBlockSocket* owner) {
    return std::make_unique<FakeTls>(owner);
  }
  bool Connect() override {
    SetSSLEnabled(true);
    return true;
  }
  bool Shutdown() override {
    ++shutdowns;
    SetSSLEnabled(false);
    return true;
  }
  int SendBuffer(const void* buffer, int len) override {
    sent.emplace_back(static_cast<const char*>(buffer), static_cast<std::size_t>(len));
    if (send_results.empty()) return len;
    const int r = send_results.front();
    send_results.pop_front();
    if (r < 0) SetLastError(-2, "tls write failed");
    return r;
  }
  int RecvBuffer(void* buffer, int len) override {
    if (incoming.empty()) {
      SetLastError(-3, "tls read failed");
      return -1;
    }
    std::string block = incoming.front();
    incoming.pop_front();
    const std::size_t n = std::min(block.size(), static_cast<std::size_t>(len));
    block.copy(static_cast<char*>(buffer), n);
    return static_cast<int>(n);
  }
  int WaitingData() override {
    return incoming.empty() ? 0 : static_cast<int>(incoming.front().size());
  }

  std::deque<std::string> incoming;
  std::deque<int> send_results;
  std::vector<std::string> sent;
  int shutdowns = 0;
};

class TlsRouting : public ::testing::Test {
 protected:
  void SetUp() override {
    peer.ReceiveUntilClose();
    peer.Start();
    socket.Connect(peer.Host(), peer.PortText());
    ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
    socket.SSLDoConnect();
    ASSERT_EQ(socket.LastError(), 0);
    tls = dynamic_cast<FakeTls*>(&socket.SSL());
    ASSERT_NE(tls, nullptr);
    log.Attach(socket);
  }
  void TearDown() override { socket.OnMonitor = nullptr; }

  StatusLog log;
  ScriptedPeer peer;
  TTCPBlockSocket socket{&FakeTls::Create};
  FakeTls* tls = nullptr;
};

TEST_F(TlsRouting, ReadsGoThroughThePluginAndOnlyDataIsCounted) {
  tls->incoming = {"secret", "data"};
  EXPECT_EQ(socket.RecvPacket(1000), "secret");
  EXPECT_EQ(socket.RecvBufferStr(4, 1000), "data");
  EXPECT_EQ(socket.RecvCounter(), 10);
  EXPECT_EQ(log.read_counts, (std::vector<int>{6, 4}));

  // A failing plug-in read is an error, and its -1 reaches neither counter nor handlers.
  char buffer[16];
  std::int32_t monitored = 0;
  socket.OnMonitor = [&](TBlockSocket&, bool, const void*, std::int32_t len) { monitored += len; };
  EXPECT_EQ(socket.RecvBuffer(buffer, sizeof buffer), -1);
  EXPECT_EQ(socket.LastError(), 10091);
  EXPECT_EQ(socket.LastErrorDesc(), "tls read failed");
  EXPECT_EQ(socket.RecvCounter(), 10);
  EXPECT_EQ(log.read_counts, (std::vector<int>{6, 4}));
  EXPECT_EQ(monitored, 0);
}

TEST_F(TlsRouting, WritesGoThroughThePluginInChunks) {
  socket.SendMaxChunk = 4;
  socket.SendString("0123456789");
  EXPECT_EQ(socket.LastError(), 0);
  EXPECT_EQ(tls->sent, (std::vector<std::string>{"0123", "4567", "89"}));
  EXPECT_EQ(log.write_counts, (std::vector<int>{4, 4, 2}));
  EXPECT_EQ(socket.SendCounter(), 10);

  tls->sent.clear();
  tls->send_results = {4, -1};
  EXPECT_EQ(socket.SendBuffer("abcdefgh", 8), 4);
  EXPECT_EQ(socket.LastError(), 10091);
  EXPECT_EQ(socket.LastErrorDesc(), "tls write failed");
}

// A plug-in that accepts nothing without reporting an error must not hang the sender.
TEST_F(TlsRouting, StalledPluginWriteFails) {
  tls->send_results = {0};
  EXPECT_EQ(socket.SendBuffer("abc", 3), 0);
  EXPECT_EQ(socket.LastError(), 10091);
  EXPECT_EQ(tls->sent.size(), 1u);
}

TEST_F(TlsRouting, StopFlagAndCloseReachThePlugin) {
  socket.StopFlag = true;
  EXPECT_EQ(socket.SendBuffer("abc", 3), 0);
  EXPECT_EQ(socket.LastError(), 10053);
  EXPECT_TRUE(tls->sent.empty());

  socket.ResetLastError();
  socket.CloseSocket();
  EXPECT_EQ(tls->shutdowns, 1);
  EXPECT_TRUE(tls->sent.empty());
  // Nothing of the plain connection leaked past the plug-in.
  EXPECT_TRUE(peer.WaitDone());
  EXPECT_EQ(peer.Received(), "");
}

}  // namespace
}  // namespace ov
