#include "net/socket_binding.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "support/bound_sockets.h"

namespace ov {
namespace {

int LastError() { return Entries().WSAGetLastError(); }

TVarSin Loopback(int family, std::uint16_t port = 0) {
  TVarSin sin{};
  sin.AddressFamily = static_cast<std::uint16_t>(family);
  sin.sin_port = Entries().htons(port);
  if (family == ws::kAfInet) {
    sin.sin_addr.S_bytes[0] = 127;
    sin.sin_addr.S_bytes[3] = 1;
  } else {
    sin.sin6_addr.u6_addr8[15] = 1;
  }
  return sin;
}

// A socket handle closed at the end of the scope.
class Socket {
 public:
  explicit Socket(TSocket handle = ws::kInvalidSocket) : handle_(handle) {}
  Socket(int family, int type, int protocol) : handle_(Entries().socket(family, type, protocol)) {}
  ~Socket() { Close(); }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  TSocket get() const { return handle_; }
  void Reset(TSocket handle) {
    Close();
    handle_ = handle;
  }
  void Close() {
    if (handle_ != ws::kInvalidSocket) Entries().closesocket(handle_);
    handle_ = ws::kInvalidSocket;
  }

 private:
  TSocket handle_;
};

// A TCP listener on the loopback address of the family, on a free port.
TVarSin Listen(const Socket& listener, int family) {
  EXPECT_NE(listener.get(), ws::kInvalidSocket) << LastError();
  EXPECT_EQ(SockBind(listener.get(), Loopback(family)), 0) << LastError();
  EXPECT_EQ(Entries().listen(listener.get(), 4), 0) << LastError();
  TVarSin bound;
  EXPECT_EQ(SockLocalName(listener.get(), bound), 0) << LastError();
  return bound;
}

// A loopback port that nobody listens on.
TVarSin ClosedPort(int family) {
  Socket probe(family, ws::kSockStream, ws::kIpProtoTcp);
  EXPECT_EQ(SockBind(probe.get(), Loopback(family)), 0) << LastError();
  TVarSin bound;
  EXPECT_EQ(SockLocalName(probe.get(), bound), 0);
  return bound;
}

bool WaitReady(TSocket socket, TFDSet* read, TFDSet* write, TFDSet* except, int seconds) {
  for (TFDSet* set : {read, write, except}) {
    if (!set) continue;
    FdSetZero(*set);
    FdSetAdd(socket, *set);
  }
  const TTimeVal timeout{seconds, 0};
  return Entries().select(0, read, write, except, &timeout) > 0;
}

int PendingError(TSocket socket) {
  int error = -1;
  int length = sizeof error;
  EXPECT_EQ(Entries().getsockopt(socket, ws::kSolSocket, ws::kSoError,
                                 reinterpret_cast<char*>(&error), &length),
            0);
  return error;
}

TEST(SocketBindingLifecycle, LoadAndReleaseAreCounted) {
  ASSERT_TRUE(LoadSocketLibrary(""));
  // Already bound: the name is ignored and the count goes up.
  ASSERT_TRUE(LoadSocketLibrary("no_such_socket_library.dll"));
  EXPECT_TRUE(ReleaseSocketLibrary());
  EXPECT_NE(Entries().socket, nullptr);
  EXPECT_TRUE(ReleaseSocketLibrary());
  EXPECT_EQ(Entries().socket, nullptr);
  // The count never goes below zero: one load after extra releases is undone by one release.
  EXPECT_TRUE(ReleaseSocketLibrary());
  ASSERT_TRUE(LoadSocketLibrary("ws2_32.dll"));
  EXPECT_NE(Entries().socket, nullptr);
  EXPECT_TRUE(ReleaseSocketLibrary());
  EXPECT_EQ(Entries().socket, nullptr);
}

TEST(SocketBindingLifecycle, MissingLibraryFails) {
  EXPECT_FALSE(LoadSocketLibrary("no_such_socket_library.dll"));
  EXPECT_EQ(Entries().socket, nullptr);
  EXPECT_TRUE(ReleaseSocketLibrary());
  EXPECT_TRUE(LoadSocketLibrary(""));
  EXPECT_TRUE(ReleaseSocketLibrary());
}

TEST(SocketBindingLifecycle, MissingRequiredFunctionFailsTheLoad) {
  for (const char* name : {"connect", "WSAStartup", "gethostbyname", "__WSAFDIsSet"}) {
    SetHiddenEntriesForTesting({name});
    EXPECT_FALSE(LoadSocketLibrary("")) << name;
    EXPECT_EQ(Entries().socket, nullptr) << name;
  }
  SetHiddenEntriesForTesting({});
}

TEST(SocketBindingLifecycle, MissingAddressInfoFunctionsSelectTheClassicInterface) {
  SetHiddenEntriesForTesting({"getnameinfo"});
  ASSERT_TRUE(LoadSocketLibrary(""));
  for (int family : {ws::kAfUnspec, ws::kAfInet, ws::kAfInet6})
    EXPECT_FALSE(UsesAddrInfoApi(family)) << family;
  ReleaseSocketLibrary();
  SetHiddenEntriesForTesting({});
  ASSERT_TRUE(LoadSocketLibrary(""));
  for (int family : {ws::kAfUnspec, ws::kAfInet, ws::kAfInet6})
    EXPECT_TRUE(UsesAddrInfoApi(family)) << family;
  ReleaseSocketLibrary();
}

TEST(SocketBindingLifecycle, StartupResultIsReportedAndUnboundCallsFailCleanly) {
  ASSERT_TRUE(LoadSocketLibrary(""));
  EXPECT_EQ(StartupSocketInterface(), 0);
  EXPECT_EQ(StartupResult(), 0);
  EXPECT_EQ(WsaData().wVersion, ws::kWinsockVersion);
  EXPECT_GE(WsaData().wHighVersion, ws::kWinsockVersion);
  CleanupSocketInterface();
  ReleaseSocketLibrary();

  EXPECT_EQ(StartupSocketInterface(), ws::kWsaNotInitialised);
  EXPECT_EQ(StartupResult(), ws::kWsaNotInitialised);
  TVarSin sin;
  EXPECT_NE(ResolveSin(sin, "127.0.0.1", "80", ws::kAfInet, ws::kIpProtoTcp, ws::kSockStream, true),
            0);
  int error = 0;
  EXPECT_EQ(LocalHostName(&error), "");
  EXPECT_EQ(error, ws::kWsaNotInitialised);
}

TEST(SocketBinding, SinLengthFollowsTheFamily) {
  TVarSin sin{};
  EXPECT_EQ(SinLength(sin), 0);
  sin.AddressFamily = ws::kAfInet;
  EXPECT_EQ(SinLength(sin), 16);
  sin.AddressFamily = ws::kAfInet6;
  EXPECT_EQ(SinLength(sin), 28);
  sin.AddressFamily = 10;  // the C library's IPv6 number is not Winsock's
  EXPECT_EQ(SinLength(sin), 0);
}

TEST(SocketBinding, AddressInfoCopyNeverExceedsTheRecord) {
  struct {
    TVarSin sin;
    unsigned char guard[16];
  } target;
  std::memset(&target, 0xAA, sizeof target);
  unsigned char source[128];
  std::memset(source, 0x55, sizeof source);
  TAddrInfo entry{};
  entry.ai_addr = reinterpret_cast<TSockAddr*>(source);
  entry.ai_addrlen = sizeof source;
  SinFromAddrInfo(target.sin, entry);
  for (unsigned char b : target.guard) ASSERT_EQ(b, 0xAA);
  EXPECT_EQ(target.sin.sin6_scope_id, 0x55555555U);

  entry.ai_addrlen = 16;  // an IPv4 address leaves the rest of the record zero
  SinFromAddrInfo(target.sin, entry);
  EXPECT_EQ(target.sin.sin_port, 0x5555);
  EXPECT_EQ(target.sin.sin6_scope_id, 0U);
}

class SocketBindingTest : public ::testing::Test {
  testing::BoundSockets bound_;
};

TEST_F(SocketBindingTest, FdSetHoldsAtMost64AndKeepsDuplicates) {
  TFDSet set;
  FdSetZero(set);
  FdSetAdd(7, set);
  FdSetAdd(7, set);
  EXPECT_EQ(set.fd_count, 2U);
  for (TSocket s = 100; s < 200; ++s) FdSetAdd(s, set);
  EXPECT_EQ(set.fd_count, 64U);
  EXPECT_TRUE(FdSetHas(7, set));
  EXPECT_TRUE(FdSetHas(161, set));
  EXPECT_FALSE(FdSetHas(162, set));
  FdSetZero(set);
  EXPECT_FALSE(FdSetHas(7, set));
}

TEST_F(SocketBindingTest, TcpLoopbackRoundTrip) {
  for (int family : {ws::kAfInet, ws::kAfInet6}) {
    SCOPED_TRACE(family);
    Socket listener(family, ws::kSockStream, ws::kIpProtoTcp);
    const TVarSin at = Listen(listener, family);
    Socket client(family, ws::kSockStream, ws::kIpProtoTcp);
    ASSERT_EQ(SockConnect(client.get(), at), 0) << LastError();
    TVarSin from;
    Socket server(SockAccept(listener.get(), from));
    ASSERT_NE(server.get(), ws::kInvalidSocket) << LastError();
    EXPECT_EQ(from.AddressFamily, family);

    TVarSin client_name, peer_name;
    ASSERT_EQ(SockLocalName(client.get(), client_name), 0);
    ASSERT_EQ(SockPeerName(client.get(), peer_name), 0);
    EXPECT_EQ(SinToPort(peer_name), SinToPort(at));
    EXPECT_EQ(SinToPort(from), SinToPort(client_name));
    EXPECT_EQ(SinToIP(peer_name), family == ws::kAfInet ? "127.0.0.1" : "::1");

    ASSERT_EQ(SockSend(client.get(), "hello", 5, 0), 5) << LastError();
    TFDSet read;
    ASSERT_TRUE(WaitReady(server.get(), &read, nullptr, nullptr, 5));
    EXPECT_TRUE(FdSetHas(server.get(), read));
    std::uint32_t available = 0;
    ASSERT_EQ(Entries().ioctlsocket(server.get(), ws::kFionRead, &available), 0);
    EXPECT_EQ(available, 5U);
    char buffer[8] = {};
    EXPECT_EQ(SockRecv(server.get(), buffer, 3, ws::kMsgPeek), 3);
    EXPECT_EQ(SockRecv(server.get(), buffer, sizeof buffer, 0), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");

    client.Close();
    EXPECT_EQ(SockRecv(server.get(), buffer, sizeof buffer, 0), 0);  // orderly close
  }
}

TEST_F(SocketBindingTest, ErrorsAreWinsockNumbers) {
  for (int family : {ws::kAfInet, ws::kAfInet6}) {
    SCOPED_TRACE(family);
    const TVarSin closed = ClosedPort(family);
    Socket client(family, ws::kSockStream, ws::kIpProtoTcp);
    EXPECT_EQ(SockConnect(client.get(), closed), ws::kSocketError);
    EXPECT_EQ(LastError(), ws::kWsaEConnRefused);

    Socket listener(family, ws::kSockStream, ws::kIpProtoTcp);
    const TVarSin taken = Listen(listener, family);
    Socket second(family, ws::kSockStream, ws::kIpProtoTcp);
    EXPECT_EQ(SockBind(second.get(), taken), ws::kSocketError);
    EXPECT_EQ(LastError(), ws::kWsaEAddrInUse);
  }
  EXPECT_EQ(Entries().closesocket(0x7FFFFF00), ws::kSocketError);
  EXPECT_EQ(LastError(), ws::kWsaENotSock);
  int value = 0;
  int length = sizeof value;
  Socket s(ws::kAfInet, ws::kSockStream, ws::kIpProtoTcp);
  EXPECT_EQ(Entries().getsockopt(s.get(), ws::kSolSocket, 0x7777, reinterpret_cast<char*>(&value),
                                 &length),
            ws::kSocketError);
  EXPECT_EQ(LastError(), ws::kWsaENoProtoOpt);
}

TEST_F(SocketBindingTest, NonBlockingConnectWouldBlockThenReportsItsOutcome) {
  Socket listener(ws::kAfInet, ws::kSockStream, ws::kIpProtoTcp);
  const TVarSin open = Listen(listener, ws::kAfInet);
  Socket good(ws::kAfInet, ws::kSockStream, ws::kIpProtoTcp);
  std::uint32_t on = 1;
  ASSERT_EQ(Entries().ioctlsocket(good.get(), ws::kFionBio, &on), 0);
  const int result = SockConnect(good.get(), open);
  if (result != 0) {
    EXPECT_EQ(LastError(), ws::kWsaEWouldBlock);
  }
  TFDSet write, except;
  ASSERT_TRUE(WaitReady(good.get(), nullptr, &write, &except, 5));
  EXPECT_TRUE(FdSetHas(good.get(), write));
  EXPECT_FALSE(FdSetHas(good.get(), except));
  EXPECT_EQ(PendingError(good.get()), 0);

  Socket bad(ws::kAfInet, ws::kSockStream, ws::kIpProtoTcp);
  ASSERT_EQ(Entries().ioctlsocket(bad.get(), ws::kFionBio, &on), 0);
  ASSERT_EQ(SockConnect(bad.get(), ClosedPort(ws::kAfInet)), ws::kSocketError);
  const int error = LastError();
  ASSERT_TRUE(error == ws::kWsaEWouldBlock || error == ws::kWsaEConnRefused) << error;
  if (error == ws::kWsaEWouldBlock) {
    ASSERT_TRUE(WaitReady(bad.get(), nullptr, &write, &except, 5));
    EXPECT_TRUE(FdSetHas(bad.get(), except));
    EXPECT_FALSE(FdSetHas(bad.get(), write));
    EXPECT_EQ(PendingError(bad.get()), ws::kWsaEConnRefused);
  }
}

TEST_F(SocketBindingTest, SelectRejectsEmptySetsAndTimesOut) {
  TFDSet read;
  FdSetZero(read);
  const TTimeVal zero{0, 0};
  EXPECT_EQ(Entries().select(0, &read, nullptr, nullptr, &zero), ws::kSocketError);
  EXPECT_EQ(LastError(), ws::kWsaEInval);

  Socket listener(ws::kAfInet, ws::kSockStream, ws::kIpProtoTcp);
  Listen(listener, ws::kAfInet);
  FdSetAdd(listener.get(), read);
  const TTimeVal short_wait{0, 50000};
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Entries().select(0, &read, nullptr, nullptr, &short_wait), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40));
  EXPECT_EQ(read.fd_count, 0U);
}

TEST_F(SocketBindingTest, OptionValuesUseWinsockFormats) {
  Socket s(ws::kAfInet, ws::kSockStream, ws::kIpProtoTcp);
  const std::uint32_t timeout_ms = 1500;
  ASSERT_EQ(Entries().setsockopt(s.get(), ws::kSolSocket, ws::kSoRcvTimeo,
                                 reinterpret_cast<const char*>(&timeout_ms), sizeof timeout_ms),
            0)
      << LastError();
  std::uint32_t read_back = 0;
  int length = sizeof read_back;
  ASSERT_EQ(Entries().getsockopt(s.get(), ws::kSolSocket, ws::kSoRcvTimeo,
                                 reinterpret_cast<char*>(&read_back), &length),
            0);
  EXPECT_EQ(read_back, timeout_ms);
  EXPECT_EQ(length, 4);

  const TLinger linger{1, 7};
  ASSERT_EQ(Entries().setsockopt(s.get(), ws::kSolSocket, ws::kSoLinger,
                                 reinterpret_cast<const char*>(&linger), sizeof linger),
            0)
      << LastError();
  TLinger linger_back{};
  length = sizeof linger_back;
  ASSERT_EQ(Entries().getsockopt(s.get(), ws::kSolSocket, ws::kSoLinger,
                                 reinterpret_cast<char*>(&linger_back), &length),
            0);
  EXPECT_EQ(linger_back.l_onoff, 1);
  EXPECT_EQ(linger_back.l_linger, 7);

  const int on = 1;
  ASSERT_EQ(Entries().setsockopt(s.get(), ws::kIpProtoTcp, ws::kTcpNoDelay,
                                 reinterpret_cast<const char*>(&on), sizeof on),
            0);
  int value = 0;
  length = sizeof value;
  ASSERT_EQ(Entries().getsockopt(s.get(), ws::kIpProtoTcp, ws::kTcpNoDelay,
                                 reinterpret_cast<char*>(&value), &length),
            0);
  EXPECT_NE(value, 0);
  length = sizeof value;
  ASSERT_EQ(Entries().getsockopt(s.get(), ws::kSolSocket, ws::kSoType,
                                 reinterpret_cast<char*>(&value), &length),
            0);
  EXPECT_EQ(value, ws::kSockStream);
}

// A connected pair on IPv4 loopback.
struct Connection {
  Socket listener{ws::kAfInet, ws::kSockStream, ws::kIpProtoTcp};
  Socket client{ws::kAfInet, ws::kSockStream, ws::kIpProtoTcp};
  Socket server;

  Connection() {
    const TVarSin at = Listen(listener, ws::kAfInet);
    EXPECT_EQ(SockConnect(client.get(), at), 0) << LastError();
    TVarSin from;
    server.Reset(SockAccept(listener.get(), from));
  }
};

// Sending on a dropped or shut-down connection is an error value, never a signal.
TEST_F(SocketBindingTest, SendingOnAClosedConnectionIsAnErrorValue) {
  Connection reset;
  const TLinger abort_on_close{1, 0};  // the peer closes with a reset
  Entries().setsockopt(reset.server.get(), ws::kSolSocket, ws::kSoLinger,
                       reinterpret_cast<const char*>(&abort_on_close), sizeof abort_on_close);
  reset.server.Close();
  const std::string block(4096, 'x');
  int failures = 0;
  for (int i = 0; i < 100 && failures < 3; ++i) {
    if (SockSend(reset.client.get(), block.data(), static_cast<int>(block.size()), 0) >= 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    ++failures;
    const int error = LastError();
    EXPECT_TRUE(error == ws::kWsaEConnReset || error == ws::kWsaEConnAborted) << error;
  }
  EXPECT_EQ(failures, 3);

  Connection shut;
  ASSERT_EQ(Entries().shutdown(shut.client.get(), ws::kSdSend), 0);
  EXPECT_EQ(SockSend(shut.client.get(), "x", 1, 0), ws::kSocketError);
  EXPECT_EQ(LastError(), ws::kWsaEShutdown);
}

TEST_F(SocketBindingTest, DatagramsCarryTheSenderRecord) {
  for (int family : {ws::kAfInet, ws::kAfInet6}) {
    SCOPED_TRACE(family);
    Socket receiver(family, ws::kSockDgram, ws::kIpProtoUdp);
    ASSERT_EQ(SockBind(receiver.get(), Loopback(family)), 0) << LastError();
    TVarSin target;
    ASSERT_EQ(SockLocalName(receiver.get(), target), 0);
    Socket sender(family, ws::kSockDgram, ws::kIpProtoUdp);
    ASSERT_EQ(SockBind(sender.get(), Loopback(family)), 0);
    TVarSin sender_name;
    ASSERT_EQ(SockLocalName(sender.get(), sender_name), 0);

    ASSERT_EQ(SockSendTo(sender.get(), "ping", 4, 0, target), 4) << LastError();
    TFDSet read;
    ASSERT_TRUE(WaitReady(receiver.get(), &read, nullptr, nullptr, 5));
    char buffer[16];
    TVarSin from;
    ASSERT_EQ(SockRecvFrom(receiver.get(), buffer, sizeof buffer, 0, from), 4) << LastError();
    EXPECT_EQ(std::string(buffer, 4), "ping");
    EXPECT_EQ(from.AddressFamily, family);
    EXPECT_EQ(SinToPort(from), SinToPort(sender_name));
  }
}

TEST_F(SocketBindingTest, LocalHostNameIsReported) {
  int error = -1;
  const std::string name = LocalHostName(&error);
  EXPECT_EQ(error, 0);
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(name.find('\0'), std::string::npos);
}

}  // namespace
}  // namespace ov
