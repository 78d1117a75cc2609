// The blocking socket over loopback: connection events, refusal and timeout, errors and
// exceptions, sending and its framing, options, the throttle and the stop flag.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "net/socket_errors.h"
#include "net/stream.h"
#include "support/scripted_peer.h"
#include "unit/net/block_socket_fixture.h"

namespace ov::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

TEST(BlockSocketConnect, ConnectSendReceiveCloseFireTheEventsInOrder) {
  ScriptedPeer peer;
  peer.ReceiveUntil("\r\n").Send("world\r\n").ReceiveUntilClose();
  peer.Start();

  TestTcpSocket socket;
  EventRecorder events;
  events.Attach(socket);
  std::vector<std::pair<bool, std::string>> monitored;
  socket.OnMonitor = [&](TBlockSocket&, bool writing, const void* buffer, std::int32_t len) {
    monitored.emplace_back(writing, std::string(static_cast<const char*>(buffer), len));
  };
  const std::string address = "127.0.0.1:" + peer.PortText();

  socket.Connect("127.0.0.1", peer.PortText());
  ASSERT_EQ(socket.LastError(), 0);
  socket.SendString("hello\r\n");
  ASSERT_TRUE(socket.CanRead(5000));
  EXPECT_EQ(socket.RecvString(5000), "world");
  socket.CloseSocket();

  EXPECT_THAT(events.All(),
              ElementsAre(Pair(HR_ResolvingBegin, address), Pair(HR_ResolvingEnd, address),
                          Pair(HR_SocketCreate, "IPv4"), Pair(HR_Connect, address),
                          Pair(HR_WriteCount, "7"), Pair(HR_CanRead, ""), Pair(HR_ReadCount, "7"),
                          Pair(HR_SocketClose, "")));
  EXPECT_THAT(monitored, ElementsAre(Pair(true, "hello\r\n"), Pair(false, "world\r\n")));
  EXPECT_EQ(socket.SendCounter(), 7);
  EXPECT_EQ(socket.RecvCounter(), 7);
  EXPECT_EQ(socket.GetRemoteSinPort(), peer.Port());
  EXPECT_EQ(socket.GetRemoteSinIP(), "127.0.0.1");
  ASSERT_TRUE(peer.WaitDone());
  EXPECT_THAT(peer.Failures(), IsEmpty());
  EXPECT_EQ(peer.Received(), "hello\r\n");
}

TEST(BlockSocketConnect, WithConnectTimeoutTheWaitIsReportedAndModeRestored) {
  ScriptedPeer peer(ScriptedPeer::Protocol::Tcp, "::1");
  peer.Expect("x");
  peer.Start();
  TestTcpSocket socket;
  EventRecorder events;
  events.Attach(socket);
  socket.ConnectionTimeout = 2000;
  socket.Connect("::1", peer.PortText());
  ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
  EXPECT_FALSE(socket.NonBlockMode());
  EXPECT_TRUE(socket.IP6used());
  const std::string address = "::1:" + peer.PortText();
  EXPECT_THAT(
      events.All(),
      ElementsAre(Pair(HR_ResolvingBegin, address), Pair(HR_ResolvingEnd, address),
                  Pair(HR_SocketCreate, "IPv6"), Pair(HR_CanWrite, ""), Pair(HR_Connect, address)));
  socket.SendString("x");  // blocking again: the send completes
  ASSERT_TRUE(peer.WaitDone());
  EXPECT_THAT(peer.Failures(), IsEmpty());
}

TEST(BlockSocketConnect, RefusedConnectionIsReportedWithAndWithoutTimeout) {
  const std::string port = ClosedLoopbackPort();
  for (int timeout : {0, 3000}) {
    TestTcpSocket socket;
    EventRecorder events;
    events.Attach(socket);
    socket.ConnectionTimeout = timeout;
    Stopwatch clock;
    socket.Connect("127.0.0.1", port);
    EXPECT_EQ(socket.LastError(), 10061) << "timeout " << timeout;
    EXPECT_EQ(socket.LastErrorDesc(), "Connection refused");
    EXPECT_LT(clock.Ms(), 2500) << "a refusal must not wait for the connect timeout";
    EXPECT_THAT(events.Only({HR_Error, HR_Connect, HR_CanWrite}),
                ElementsAre(Pair(HR_Error, "10061,Connection refused"),
                            Pair(HR_Connect, "127.0.0.1:" + port)));
    EXPECT_FALSE(socket.NonBlockMode());
  }
}

TEST(BlockSocketConnect, ConnectTimeoutEndsWithTimedOut) {
  UnansweredListener listener;
  if (!listener.Full()) GTEST_SKIP() << "the system answered every connection attempt";
  TestTcpSocket socket;
  EventRecorder events;
  events.Attach(socket);
  socket.ConnectionTimeout = 1000;
  Stopwatch clock;
  socket.Connect("127.0.0.1", listener.PortText());
  const auto elapsed = clock.Ms();
  EXPECT_EQ(socket.LastError(), 10060);
  EXPECT_GE(elapsed, 900);
  EXPECT_LT(elapsed, 5000);
  EXPECT_FALSE(socket.NonBlockMode());
  EXPECT_EQ(events.Count(HR_CanWrite), 0);
  EXPECT_THAT(events.Only({HR_Error}), ElementsAre(Pair(HR_Error, "10060,Connection timed out")));
}

TEST(BlockSocketConnect, UnresolvableAddressCreatesNoHandle) {
  TestTcpSocket socket;
  EventRecorder events;
  events.Attach(socket);
  socket.Connect("127.0.0.1", "no-such-service-here");
  const std::int32_t code = socket.LastError();
  EXPECT_NE(code, 0);
  EXPECT_EQ(socket.Socket(), ws::kInvalidSocket);
  EXPECT_THAT(events.All(),
              ElementsAre(Pair(HR_ResolvingBegin, "127.0.0.1:no-such-service-here"),
                          Pair(HR_ResolvingEnd, ":0"),
                          Pair(HR_Error, std::to_string(code) + "," + socket.LastErrorDesc()),
                          Pair(HR_Connect, "127.0.0.1:no-such-service-here")));
}

TEST(BlockSocketConnect, RaiseExceptThrowsInsteadOfFinishingTheOperation) {
  const std::string port = ClosedLoopbackPort();
  TestTcpSocket socket;
  EventRecorder events;
  events.Attach(socket);
  socket.RaiseExcept = true;
  try {
    socket.Connect("127.0.0.1", port);
    FAIL() << "no exception";
  } catch (const ESocketError& e) {
    EXPECT_EQ(e.ErrorCode, 10061);
    EXPECT_EQ(e.ErrorMessage, "Connection refused");
    EXPECT_STREQ(e.what(), "TCP/IP Socket error 10061: Connection refused");
  }
  EXPECT_EQ(events.Count(HR_Connect), 0);
  EXPECT_EQ(events.Count(HR_Error), 1);
}

TEST(BlockSocketHandle, WildcardBindWithoutHandleAndCloseWithoutHandle) {
  TestTcpSocket socket;
  EventRecorder events;
  events.Attach(socket);
  socket.Bind("0.0.0.0", "0");
  EXPECT_EQ(socket.Socket(), ws::kInvalidSocket);
  EXPECT_EQ(socket.LastError(), 0);
  EXPECT_THAT(events.All(), IsEmpty());
  socket.CloseSocket();
  EXPECT_THAT(events.All(), ElementsAre(Pair(HR_SocketClose, "")));
}

TEST(BlockSocketHandle, ListenAcceptAndAttach) {
  TestTcpSocket server;
  EventRecorder server_events;
  server_events.Attach(server);
  server.Bind("127.0.0.1", "0");
  server.Listen();
  ASSERT_EQ(server.LastError(), 0);
  const std::string port = std::to_string(server.GetLocalSinPort());

  TestTcpSocket client;
  client.Connect("127.0.0.1", port);
  ASSERT_EQ(client.LastError(), 0);
  ASSERT_TRUE(server.CanRead(5000));
  const TSocket accepted = server.Accept();
  ASSERT_NE(accepted, ws::kInvalidSocket);
  EXPECT_EQ(server.GetRemoteSinPort(), client.GetLocalSinPort());

  TestTcpSocket session;
  session.SetSocket(accepted);
  EXPECT_EQ(session.GetRemoteSinPort(), client.GetLocalSinPort());
  client.SendString("ping");
  EXPECT_EQ(session.RecvBufferStr(4, 5000), "ping");
  EXPECT_EQ(session.RecvCounter(), 4);
  EXPECT_THAT(server_events.Only({HR_Bind, HR_Listen, HR_Accept, HR_Error}),
              ElementsAre(Pair(HR_Bind, "127.0.0.1:0"), Pair(HR_Listen, ""), Pair(HR_Accept, "")));
}

TEST(BlockSocketHandle, FailedAcceptSetsLastError) {
  TestTcpSocket socket;
  EventRecorder events;
  events.Attach(socket);
  socket.Bind("127.0.0.1", "0");  // bound, not listening
  ASSERT_EQ(socket.LastError(), 0);
  EXPECT_EQ(socket.Accept(), ws::kInvalidSocket);
  EXPECT_NE(socket.LastError(), 0);
  EXPECT_EQ(events.Count(HR_Error), 1);
}

TEST(BlockSocketOptions, QueuedOptionAppliesToTheNextHandleOnly) {
  ScriptedPeer peer;
  peer.Accept().Accept();
  peer.Start();
  TestTcpSocket socket;
  socket.SetSizeRecvBuffer(20000);
  socket.Connect("127.0.0.1", peer.PortText());
  const std::int32_t first = socket.SizeRecvBuffer();
  // The system may round or double the request, never shrink it.
  EXPECT_GE(first, 20000);
  EXPECT_LE(first, 40000);
  socket.CloseSocket();
  socket.Connect("127.0.0.1", peer.PortText());
  ASSERT_EQ(socket.LastError(), 0);
  EXPECT_NE(socket.SizeRecvBuffer(), first);
}

TEST(BlockSocketSend, FramingPutsTheExpectedBytesOnTheWire) {
  ScriptedPeer peer;
  const std::string expected = std::string(
                                   "\x03\x00\x00\x00"
                                   "abc",
                                   7) +  // SendBlock
                               std::string(
                                   "\x00\x00\x00\x03"
                                   "xyz",
                                   7) +  // SendStreamIndy
                               std::string(
                                   "\x02\x00\x00\x00"
                                   "uv",
                                   6) +  // SendStream
                               std::string("\x78\x56\x34\x12", 4) +
                               "Z" + "raw";  // Integer, Byte, Raw
  peer.Expect(expected).Close();
  peer.Start();
  TestTcpSocket socket;
  EventRecorder events;
  events.Attach(socket);
  socket.Connect("127.0.0.1", peer.PortText());
  socket.SendBlock("abc");
  MemoryStream indy("xyz");
  socket.SendStreamIndy(indy);
  MemoryStream partly_read("--uv");
  partly_read.Seek(2);
  socket.SendStream(partly_read);
  MemoryStream empty;
  socket.SendStream(empty);  // nothing at all, not even a prefix
  socket.SendInteger(0x12345678);
  socket.SendByte('Z');
  MemoryStream raw("raw");
  socket.SendStreamRaw(raw);
  ASSERT_TRUE(peer.WaitDone());
  EXPECT_THAT(peer.Failures(), IsEmpty());
  EXPECT_EQ(peer.Received(), expected);
  EXPECT_EQ(socket.LastError(), 0);
  EXPECT_EQ(events.Count(HR_WriteCount), 6);
}

TEST(BlockSocketSend, LargeBufferGoesOutInChunks) {
  const std::string data(200000, 'q');
  ScriptedPeer peer;
  peer.Receive(data.size());
  peer.Start();
  TestTcpSocket socket;
  EventRecorder events;
  events.Attach(socket);
  socket.Connect("127.0.0.1", peer.PortText());
  socket.SendMaxChunk = 65536;
  EXPECT_EQ(socket.SendBuffer(data.data(), static_cast<std::int32_t>(data.size())), 200000);
  ASSERT_TRUE(peer.WaitDone());
  EXPECT_EQ(peer.Received(), data);
  // Every send call hands over at most one chunk.
  int total = 0;
  for (const Event& e : events.Only({HR_WriteCount})) {
    EXPECT_LE(std::stoi(e.second), 65536);
    total += std::stoi(e.second);
  }
  EXPECT_EQ(total, 200000);
  EXPECT_GE(events.Count(HR_WriteCount), 4);
}

TEST(BlockSocketSend, NonBlockingSendThatStaysBlockedTimesOut) {
  ScriptedPeer peer;
  peer.Stall();  // reads nothing
  peer.Start();
  TestTcpSocket socket;
  socket.SetSizeSendBuffer(16384);
  socket.Connect("127.0.0.1", peer.PortText());
  socket.SetNonBlockMode(true);
  socket.NonblockSendTimeout = 300;
  const std::string data(32 << 20, 'n');
  Stopwatch clock;
  const std::int32_t sent = socket.SendBuffer(data.data(), static_cast<std::int32_t>(data.size()));
  EXPECT_EQ(socket.LastError(), 10060);
  EXPECT_GT(sent, 0);
  EXPECT_LT(sent, static_cast<std::int32_t>(data.size()));
  EXPECT_EQ(socket.SendCounter(), sent);
  EXPECT_GE(clock.Ms(), 250);
  EXPECT_LT(clock.Ms(), 5000);
}

TEST(BlockSocketStop, FlagSetBeforeSendStopsItWithAbort) {
  ScriptedPeer peer;
  peer.ReceiveUntilClose();
  peer.Start();
  TestTcpSocket socket;
  EventRecorder events;
  events.Attach(socket);
  socket.Connect("127.0.0.1", peer.PortText());
  events.Clear();
  socket.StopFlag = true;
  EXPECT_EQ(socket.SendBuffer("never", 5), 0);
  EXPECT_EQ(socket.LastError(), 10053);
  EXPECT_FALSE(socket.StopFlag);
  EXPECT_THAT(events.All(), ElementsAre(Pair(HR_Error, "10053,Software caused connection abort")));
  socket.CloseSocket();
  ASSERT_TRUE(peer.WaitDone());
  EXPECT_EQ(peer.Received(), "");
}

TEST(BlockSocketThrottle, SendLimitMakesTheSecondSendWait) {
  ScriptedPeer peer;
  peer.Receive(1000);
  peer.Start();
  TestTcpSocket socket;
  EventRecorder events;
  events.Attach(socket);
  socket.Connect("127.0.0.1", peer.PortText());
  socket.MaxSendBandwidth = 1000;
  const std::string half(500, 'b');
  Stopwatch clock;
  socket.SendString(half);
  socket.SendString(half);
  const auto elapsed = clock.Ms();
  const auto waits = events.Only({HR_Wait});
  ASSERT_EQ(waits.size(), 1u);
  const int wait = std::stoi(waits[0].second);
  EXPECT_GT(wait, 350);
  EXPECT_LE(wait, 500);
  EXPECT_GE(elapsed, 350);
  EXPECT_LT(elapsed, 1500);
  ASSERT_TRUE(peer.WaitDone());
}

TEST(BlockSocketThrottle, StopFlagCutsAThrottleSleepShort) {
  ScriptedPeer peer;
  peer.ReceiveUntilClose();
  peer.Start();
  TestTcpSocket socket;
  socket.Connect("127.0.0.1", peer.PortText());
  socket.MaxSendBandwidth = 100;  // 1000 bytes reserve 10 s
  const std::string block(1000, 'c');
  socket.SendString(block);
  std::thread stopper([&socket] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    socket.StopFlag = true;
  });
  Stopwatch clock;
  socket.SendString(block);
  stopper.join();
  EXPECT_LT(clock.Ms(), 2000);
}

TEST(BlockSocketWait, HeartbeatFiresDuringWaitsAndCanStopThem) {
  ScriptedPeer peer;
  peer.Stall();
  peer.Start();
  TestTcpSocket socket;
  socket.Connect("127.0.0.1", peer.PortText());
  int beats = 0;
  socket.HeartbeatRate = 50;
  socket.OnHeartbeat = [&beats](TBlockSocket& s) {
    if (++beats == 4) s.StopFlag = true;
  };
  Stopwatch clock;
  EXPECT_FALSE(socket.CanRead(5000));
  EXPECT_EQ(beats, 4);
  EXPECT_LT(clock.Ms(), 2000);
  EXPECT_FALSE(socket.StopFlag);
}

TEST(BlockSocketWait, GroupCanReadListsOnlyTheReadySockets) {
  ScriptedPeer quiet;
  quiet.Stall();
  quiet.Start();
  ScriptedPeer talking;
  talking.Send("news").Stall();
  talking.Start();
  TestTcpSocket a, b;
  a.Connect("127.0.0.1", quiet.PortText());
  b.Connect("127.0.0.1", talking.PortText());
  std::vector<TBlockSocket*> ready;
  EXPECT_TRUE(a.GroupCanRead({&a, nullptr, &b}, 5000, ready));
  EXPECT_THAT(ready, ElementsAre(&b));
}

}  // namespace
}  // namespace ov::testing
