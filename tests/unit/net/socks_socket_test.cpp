// SOCKS 4, 4a and 5 through TTCPBlockSocket against a scripted proxy: exact request bytes,
// reply decoding, rejected requests, BIND's two replies, and over-long names.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "net/tcp_block_socket.h"
#include "support/scripted_peer.h"

namespace ov {
namespace {

using testing::ScriptedPeer;

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

class SocksSocket : public ::testing::Test {
 protected:
  void UseProxy(TSocksType type = TSocksType::ST_Socks5) {
    socket.SocksIP = peer.Host();
    socket.SocksPort = peer.PortText();
    socket.SocksType = type;
    socket.SocksTimeout = 3000;
  }
  // Handlers of a test capture its locals, which are gone before the socket is.
  void TearDown() override {
    socket.OnStatus = nullptr;
    socket.OnAfterConnect = nullptr;
  }
  void ExpectPeerDone() {
    EXPECT_TRUE(peer.WaitDone());
    EXPECT_TRUE(peer.Failures().empty()) << peer.Failures().front();
  }

  ScriptedPeer peer;
  TTCPBlockSocket socket;
};

TEST_F(SocksSocket, Socks5ConnectWithoutCredentials) {
  peer.Expect(Bytes({5, 1, 0}))
      .Send(Bytes({5, 0}))
      .Expect(Bytes({5, 1, 0, 1, 10, 0, 0, 0x82, 0, 80}))
      .Send(Bytes({5, 0, 0, 1, 0xC0, 0xA8, 1, 1, 0x1F, 0x90}) + "hello\r\n")
      .ReceiveUntilClose();
  peer.Start();
  UseProxy();
  std::vector<std::string> connects;
  socket.OnStatus = [&](TBlockSocket&, THookSocketReason reason, const std::string& value) {
    if (reason == HR_Connect) connects.push_back(value);
  };
  int after_connect = 0;
  socket.OnAfterConnect = [&](TBlockSocket&) { ++after_connect; };

  socket.Connect("10.0.0.130", "80");

  ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  EXPECT_TRUE(socket.UsingSocks());
  EXPECT_EQ(socket.SocksLastError(), 0);
  EXPECT_EQ(connects,
            (std::vector<std::string>{peer.Host() + ":" + peer.PortText(), "10.0.0.130:80"}));
  EXPECT_EQ(after_connect, 1);
  EXPECT_EQ(socket.GetLocalSinIP(), "192.168.1.1");
  EXPECT_EQ(socket.GetLocalSinPort(), 8080);
  EXPECT_EQ(socket.GetRemoteSinIP(), "10.0.0.130");
  EXPECT_EQ(socket.GetRemoteSinPort(), 80);
  // The target's bytes that came with the reply belong to the stream, not to the negotiation.
  EXPECT_EQ(socket.RecvString(3000), "hello");
  socket.CloseSocket();
  ExpectPeerDone();
}

TEST_F(SocksSocket, Socks5UserPasswordAndNameReply) {
  peer.Expect(Bytes({5, 2, 2, 0}))
      .Send(Bytes({5, 2}))
      .Expect(Bytes({1, 4}) + "user" + Bytes({6}) + "secret")
      .Send(Bytes({1, 0}))
      .Expect(Bytes({5, 1, 0, 3, 12}) + "files.server" + Bytes({0, 21}))
      .Send(Bytes({5, 0, 0, 3, 5}) + "proxy" + Bytes({0x04, 0x38}))
      .ReceiveUntilClose();
  peer.Start();
  UseProxy();
  socket.SocksUsername = "user";
  socket.SocksPassword = "secret";

  socket.Connect("files.server", "21");

  ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  EXPECT_EQ(socket.GetLocalSinIP(), "proxy");
  EXPECT_EQ(socket.GetLocalSinPort(), 1080);
  EXPECT_EQ(socket.GetRemoteSinIP(), "files.server");
  socket.CloseSocket();
  ExpectPeerDone();
}

// Without remote resolution the name is resolved here and sent as an address.
TEST_F(SocksSocket, LocalResolutionSendsAnAddress) {
  peer.Expect(Bytes({5, 1, 0}))
      .Send(Bytes({5, 0}))
      .Expect(Bytes({5, 1, 0, 1, 127, 0, 0, 1, 0, 80}))
      .Send(Bytes({5, 0, 0, 1, 0, 0, 0, 0, 0, 0}))
      .ReceiveUntilClose();
  peer.Start();
  UseProxy();
  socket.SocksResolver = false;
  socket.Connect("localhost", "80");
  EXPECT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  socket.CloseSocket();
  ExpectPeerDone();
}

TEST_F(SocksSocket, Socks4AndSocks4aRequests) {
  peer.Expect(Bytes({4, 1, 0, 80, 10, 0, 0, 0x82, 0}))
      .Send(Bytes({0, 90, 0, 0, 0, 0, 0, 0}))
      .ReceiveUntilClose()
      .Close()
      .Expect(Bytes({4, 1, 0x1F, 0x90, 0, 0, 0, 1}) + "joe" + Bytes({0}) + "files.example" +
              Bytes({0}))
      .Send(Bytes({0, 90, 0x1F, 0x90, 10, 1, 1, 7}))
      .ReceiveUntilClose();
  peer.Start();
  UseProxy(TSocksType::ST_Socks4);

  socket.Connect("10.0.0.130", "80");
  ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  EXPECT_EQ(socket.SocksLastError(), 90);
  socket.CloseSocket();

  socket.SocksUsername = "joe";
  socket.Connect("files.example", "8080");
  ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  EXPECT_EQ(socket.GetLocalSinIP(), "10.1.1.7");
  EXPECT_EQ(socket.GetLocalSinPort(), 8080);
  socket.CloseSocket();
  ExpectPeerDone();
}

struct Rejection {
  const char* name;
  TSocksType type;
  bool with_user;
  std::vector<std::pair<std::string, std::string>> exchange;  // expected request, answer
  int socks_last_error;
};
void PrintTo(const Rejection& c, std::ostream* os) { *os << c.name; }

class SocksRejection : public SocksSocket, public ::testing::WithParamInterface<Rejection> {};

// Every refusal by the proxy makes Connect fail with 10091 and keeps the proxy's code.
TEST_P(SocksRejection, FailsWithNetworkSubsystemUnusable) {
  const Rejection& r = GetParam();
  for (const auto& [request, answer] : r.exchange) peer.Expect(request).Send(answer);
  peer.ReceiveUntilClose();
  peer.Start();
  UseProxy(r.type);
  if (r.with_user) {
    socket.SocksUsername = "u";
    socket.SocksPassword = "p";
  }
  std::vector<std::string> errors;
  socket.OnStatus = [&](TBlockSocket&, THookSocketReason reason, const std::string& value) {
    if (reason == HR_Error) errors.push_back(value);
  };
  int after_connect = 0;
  socket.OnAfterConnect = [&](TBlockSocket&) { ++after_connect; };

  socket.Connect("10.0.0.1", "80");

  EXPECT_EQ(socket.LastError(), 10091);
  EXPECT_EQ(socket.LastErrorDesc(), "Network subsystem is unusable");
  EXPECT_EQ(errors, std::vector<std::string>{"10091,Network subsystem is unusable"});
  EXPECT_EQ(socket.SocksLastError(), r.socks_last_error);
  EXPECT_EQ(after_connect, 0);
  socket.CloseSocket();
  ExpectPeerDone();
}

INSTANTIATE_TEST_SUITE_P(
    Proxies, SocksRejection,
    ::testing::Values(
        Rejection{"no_acceptable_method",
                  TSocksType::ST_Socks5,
                  true,
                  {{Bytes({5, 2, 2, 0}), Bytes({5, 0xFF})}},
                  0},
        Rejection{"bad_credentials",
                  TSocksType::ST_Socks5,
                  true,
                  {{Bytes({5, 2, 2, 0}), Bytes({5, 2})},
                   {Bytes({1, 1}) + "u" + Bytes({1}) + "p", Bytes({1, 1})}},
                  0},
        Rejection{"not_a_socks5_proxy",
                  TSocksType::ST_Socks5,
                  false,
                  {{Bytes({5, 1, 0}), Bytes({4, 0})}},
                  0},
        Rejection{
            "v5_request_refused",
            TSocksType::ST_Socks5,
            false,
            {{Bytes({5, 1, 0}), Bytes({5, 0})},
             {Bytes({5, 1, 0, 1, 10, 0, 0, 1, 0, 80}), Bytes({5, 5, 0, 1, 0, 0, 0, 0, 0, 0})}},
            5},
        Rejection{
            "v5_unknown_address_type",
            TSocksType::ST_Socks5,
            false,
            {{Bytes({5, 1, 0}), Bytes({5, 0})},
             {Bytes({5, 1, 0, 1, 10, 0, 0, 1, 0, 80}), Bytes({5, 0, 0, 7, 0, 0, 0, 0, 0, 0})}},
            -1},
        Rejection{"v4_rejected_91",
                  TSocksType::ST_Socks4,
                  false,
                  {{Bytes({4, 1, 0, 80, 10, 0, 0, 1, 0}), Bytes({0, 91, 0, 0, 0, 0, 0, 0})}},
                  91}),
    [](const auto& info) { return std::string(info.param.name); });

// A proxy that never answers leaves the read's timeout, not 10091.
TEST_F(SocksSocket, SilentProxyTimesOut) {
  peer.Expect(Bytes({5, 1, 0})).Stall();
  peer.Start();
  UseProxy();
  socket.SocksTimeout = 300;
  socket.Connect("10.0.0.1", "80");
  EXPECT_EQ(socket.LastError(), 10060);
  EXPECT_FALSE(socket.UsingSocks());
}

// A name too long for its length byte fails the request before anything of it is sent.
TEST_F(SocksSocket, OverlongHostNameFailsWithoutSendingIt) {
  peer.Expect(Bytes({5, 1, 0})).Send(Bytes({5, 0})).ReceiveUntilClose();
  peer.Start();
  UseProxy();
  std::vector<std::string> errors;
  socket.OnStatus = [&](TBlockSocket&, THookSocketReason reason, const std::string& value) {
    if (reason == HR_Error) errors.push_back(value);
  };
  socket.Connect(std::string(300, 'h') + ".example", "80");
  EXPECT_EQ(socket.LastError(), 10091);
  EXPECT_EQ(errors, std::vector<std::string>{"10091,Network subsystem is unusable"});
  socket.CloseSocket();
  ExpectPeerDone();
  EXPECT_EQ(peer.Received(), Bytes({5, 1, 0}));
}

TEST_F(SocksSocket, OverlongCredentialsFailWithoutSendingAnything) {
  peer.ReceiveUntilClose();
  peer.Start();
  UseProxy();
  socket.SocksUsername = std::string(256, 'u');
  socket.Connect("10.0.0.1", "80");
  EXPECT_EQ(socket.LastError(), 10091);
  socket.CloseSocket();
  ExpectPeerDone();
  EXPECT_EQ(peer.Received(), "");
}

// BIND: the first reply gives the address the proxy listens on (0.0.0.0 means the proxy's own
// address), the second the peer that connected; the connection then carries the peer's stream.
TEST_F(SocksSocket, BindListenAndAccept) {
  UseProxy();
  socket.Bind("127.0.0.1", "0");
  ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  const auto local_port = static_cast<std::uint16_t>(socket.GetLocalSinPort());
  peer.Expect(Bytes({5, 1, 0}))
      .Send(Bytes({5, 0}))
      .Expect(Bytes({5, 2, 0, 1, 127, 0, 0, 1, local_port >> 8, local_port & 0xFF}))
      .Send(Bytes({5, 0, 0, 1, 0, 0, 0, 0, 0x04, 0x38}))
      .Wait(50)
      .Send(Bytes({5, 0, 0, 1, 192, 168, 0, 9, 0x30, 0x39}) + "from peer")
      .ReceiveUntilClose();
  peer.Start();
  std::vector<THookSocketReason> reasons;
  socket.OnStatus = [&](TBlockSocket&, THookSocketReason reason, const std::string&) {
    reasons.push_back(reason);
  };

  socket.Listen();
  ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  EXPECT_EQ(socket.GetLocalSinIP(), peer.Host());
  EXPECT_EQ(socket.GetLocalSinPort(), 1080);
  EXPECT_EQ(socket.GetRemoteSinIP(), "");
  EXPECT_EQ(reasons.back(), HR_Listen);

  EXPECT_EQ(socket.Accept(), socket.Socket());
  ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  EXPECT_EQ(reasons.back(), HR_Accept);
  EXPECT_EQ(socket.GetRemoteSinIP(), "192.168.0.9");
  EXPECT_EQ(socket.GetRemoteSinPort(), 12345);
  EXPECT_EQ(socket.RecvBufferStr(9, 3000), "from peer");
  socket.CloseSocket();
  ExpectPeerDone();
}

TEST_F(SocksSocket, BindFailuresGiveNonRecoverableError) {
  UseProxy();
  peer.Expect(Bytes({5, 1, 0}))
      .Send(Bytes({5, 0}))
      .Receive(10)
      .Send(Bytes({5, 0, 0, 1, 10, 9, 8, 7, 0x04, 0x38}))
      .Send(Bytes({5, 2, 0, 1, 0, 0, 0, 0, 0, 0}))
      .ReceiveUntilClose();
  peer.Start();
  socket.Bind("127.0.0.1", "0");
  socket.Listen();
  ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  EXPECT_EQ(socket.GetLocalSinIP(), "10.9.8.7");
  socket.Accept();
  EXPECT_EQ(socket.LastError(), 11003);
  EXPECT_EQ(socket.LastErrorDesc(), "Non recoverable error");
  EXPECT_EQ(socket.SocksLastError(), 2);
  socket.CloseSocket();
  ExpectPeerDone();
}

}  // namespace
}  // namespace ov
