// The receive path over loopback: packets, exact lengths, lines, blocks, streams, peeking,
// purging, the read filter, peer close, timeouts, the stop flag, the receive limit and UDP.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "net/datagram_socket.h"
#include "net/stream.h"
#include "support/scripted_peer.h"
#include "unit/net/block_socket_fixture.h"

namespace ov::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

// A client connected to a scripted peer that has been started.
struct Connected {
  explicit Connected(ScriptedPeer& peer) {
    peer.Start();
    events.Attach(socket);
    socket.Connect(peer.Host(), peer.PortText());
    EXPECT_EQ(socket.LastError(), 0);
  }
  TestTcpSocket socket;
  EventRecorder events;
};

std::string Pattern(std::size_t size) {
  std::string s;
  s.reserve(size);
  for (std::size_t i = 0; i < size; ++i) s.push_back(static_cast<char>((i * 7 + i / 251) & 0xFF));
  return s;
}

TEST(RecvLines, LineEndsAndPacketSplits) {
  struct Case {
    const char* name;
    std::vector<std::string> packets;  // sent with a pause between them
    bool convert;
    std::vector<std::string> lines;
  } cases[] = {
      {"lf and crlf converted", {"a\nb\r\n"}, true, {"a", "b"}},
      {"lf kept", {"a\nb\r\n"}, false, {"a\nb"}},
      {"crlf split, converted", {"abc\r", "\ndef\r\n"}, true, {"abc", "def"}},
      {"crlf split, kept", {"abc\r", "\ndef\r\n"}, false, {"abc", "def"}},
      {"lfcr split, converted", {"abc\n", "\rdef\n\r"}, true, {"abc", "def"}},
      {"lone cr converted", {"x\ry\r\n"}, true, {"x", "y"}},
      {"many lines in one packet", {"1\r\n22\r\n333\r\n"}, false, {"1", "22", "333"}},
      {"empty line kept", {"\r\n\r\nz\r\n"}, false, {"", "", "z"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPeer peer;
    for (const std::string& p : c.packets) peer.Send(p).Wait(100);
    peer.Stall();
    Connected client(peer);
    client.socket.ConvertLineEnd = c.convert;
    std::vector<std::string> got;
    for (std::size_t i = 0; i < c.lines.size(); ++i) {
      got.push_back(client.socket.RecvString(3000));
      ASSERT_EQ(client.socket.LastError(), 0) << "line " << i;
    }
    EXPECT_EQ(got, c.lines);
    EXPECT_EQ(client.socket.LineBuffer(), "");
  }
}

TEST(RecvLines, OtherTerminatorsAndTheEmptyOne) {
  ScriptedPeer peer;
  peer.Send("key=value;rest").Stall();
  Connected client(peer);
  EXPECT_EQ(client.socket.RecvTerminated(1000, ""), "");
  EXPECT_EQ(client.socket.LastError(), 0);
  EXPECT_EQ(client.socket.RecvTerminated(3000, "="), "key");
  EXPECT_EQ(client.socket.RecvTerminated(3000, ";"), "value");
  EXPECT_EQ(client.socket.LineBuffer(), "rest");
}

TEST(RecvLines, LengthLimitWithoutLineEndFailsAndKeepsTheBytes) {
  ScriptedPeer peer;
  peer.Send("abcdefghijk").Stall();
  Connected client(peer);
  client.socket.MaxLineLength = 10;
  EXPECT_EQ(client.socket.RecvString(3000), "");
  EXPECT_EQ(client.socket.LastError(), 10055);
  EXPECT_EQ(client.socket.LineBuffer(), "abcdefghijk");
  EXPECT_THAT(client.events.Only({HR_Error}),
              ElementsAre(Pair(HR_Error, "10055,No Buffer space available")));
}

TEST(RecvLines, LengthLimitAppliesToTheLineNotToWhatFollowsIt) {
  // Short lines arriving together with much more data are not refused.
  ScriptedPeer peer;
  peer.Send("short\r\n" + std::string(100, 'x') + "\r\nok\r\n").Stall();
  Connected client(peer);
  client.socket.MaxLineLength = 10;
  ASSERT_TRUE(client.socket.CanRead(3000));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(client.socket.RecvString(3000), "short");
  EXPECT_EQ(client.socket.LastError(), 0);
  EXPECT_EQ(client.socket.RecvString(3000), "");  // the 100-byte line is too long
  EXPECT_EQ(client.socket.LastError(), 10055);
  EXPECT_EQ(client.socket.RecvString(3000), "ok");
  EXPECT_EQ(client.socket.LastError(), 0);
}

TEST(RecvLines, WholeCallBudgetEndsASlowLine) {
  ScriptedPeer peer;
  peer.SendRepeatedly("z", 100, 100);  // never a line end
  Connected client(peer);
  client.socket.InterPacketTimeout = false;
  Stopwatch clock;
  EXPECT_EQ(client.socket.RecvString(500), "");
  EXPECT_EQ(client.socket.LastError(), 10060);
  EXPECT_LT(clock.Ms(), 2500);
  EXPECT_FALSE(client.socket.LineBuffer().empty());  // what came stays buffered
}

TEST(RecvExact, SurplusStaysBufferedForTheNextReader) {
  ScriptedPeer peer;
  peer.Send("0123456789ABCDE")
      .Wait(100)
      .Send(std::string("\x2A\x01\x00\x00"
                        "Q",
                        5))
      .Stall();
  Connected client(peer);
  char buffer[10];
  ASSERT_TRUE(client.socket.CanRead(3000));
  EXPECT_EQ(client.socket.RecvBufferEx(buffer, 10, 3000), 10);
  EXPECT_EQ(std::string(buffer, 10), "0123456789");
  EXPECT_EQ(client.socket.LineBuffer(), "ABCDE");
  EXPECT_EQ(client.socket.WaitingDataEx(), 5);
  EXPECT_TRUE(client.socket.CanReadEx(0));
  EXPECT_EQ(client.events.Count(HR_CanRead), 1);  // the buffered bytes needed no wait
  EXPECT_EQ(client.socket.RecvByte(3000), 'A');
  EXPECT_EQ(client.socket.RecvBufferStr(0, 3000), "");
  EXPECT_EQ(client.socket.RecvBufferStr(4, 3000), "BCDE");
  EXPECT_EQ(client.socket.RecvInteger(3000), 0x12A);
  EXPECT_EQ(client.socket.RecvByte(3000), 'Q');
  EXPECT_EQ(client.socket.LastError(), 0);
}

TEST(RecvExact, TimeoutAndPeerCloseDropWhatWasRead) {
  {
    ScriptedPeer peer;
    peer.Send("abc").Stall();
    Connected client(peer);
    Stopwatch clock;
    EXPECT_EQ(client.socket.RecvBufferStr(10, 300), "");
    EXPECT_EQ(client.socket.LastError(), 10060);
    EXPECT_GE(clock.Ms(), 250);
  }
  {
    ScriptedPeer peer;
    peer.Send("abc").Close();
    Connected client(peer);
    char buffer[10];
    EXPECT_EQ(client.socket.RecvBufferEx(buffer, 10, 3000), 3);
    EXPECT_EQ(client.socket.LastError(), 10054);
  }
}

TEST(RecvExact, WholeCallBudgetOfMinusOneNeverExpires) {
  ScriptedPeer peer;
  peer.Send("ab").Wait(150).Send("cd").Stall();
  Connected client(peer);
  client.socket.InterPacketTimeout = false;
  EXPECT_EQ(client.socket.RecvBufferStr(4, -1), "abcd");
  EXPECT_EQ(client.socket.LastError(), 0);
}

TEST(RecvBlockTest, LengthPrefixedBlock) {
  ScriptedPeer peer;
  peer.Send(std::string("\x03\x00\x00\x00"
                        "abc",
                        7))
      .Stall();
  Connected client(peer);
  EXPECT_EQ(client.socket.RecvBlock(3000), "abc");
  EXPECT_EQ(client.socket.LastError(), 0);
}

// Peak memory of the process in KiB (0 where not measured).
long PeakMemoryKiB() {
#ifdef _WIN32
  return 0;  // the 32-bit build fails outright on a 2 GB allocation instead
#else
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
#endif
}

TEST(RecvBlockTest, HugeLengthPrefixWithLittleDataAllocatesNothingBig) {
  ScriptedPeer peer;
  peer.Send(std::string("\xF0\xFF\xFF\x7F"
                        "abc",
                        7))
      .Stall();
  Connected client(peer);
  const long before = PeakMemoryKiB();
  Stopwatch clock;
  EXPECT_EQ(client.socket.RecvBlock(500), "");
  EXPECT_EQ(client.socket.LastError(), 10060);
  EXPECT_LT(clock.Ms(), 3000);
  EXPECT_LT(PeakMemoryKiB() - before, 64L * 1024);
}

TEST(RecvPacketTest, CloseResetAndSilence) {
  struct Case {
    const char* name;
    bool reset;
  } cases[] = {{"close", false}, {"reset", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPeer peer;
    peer.Send("last");
    if (c.reset) {
      peer.Wait(200).Reset();
    } else {
      peer.Close();
    }
    Connected client(peer);
    MemoryStream stream;
    client.socket.RecvStreamRaw(stream, 3000);
    EXPECT_EQ(stream.Data(), "last");
    EXPECT_EQ(client.socket.LastError(), 10054);
    EXPECT_EQ(client.socket.LastErrorDesc(), "Connection reset by peer");
    EXPECT_EQ(client.events.Count(HR_Error), 1);
  }
  ScriptedPeer silent;
  silent.Stall();
  Connected client(silent);
  Stopwatch clock;
  EXPECT_EQ(client.socket.RecvPacket(300), "");
  EXPECT_EQ(client.socket.LastError(), 10060);
  EXPECT_GE(clock.Ms(), 250);
  EXPECT_THAT(client.events.Only({HR_Error}),
              ElementsAre(Pair(HR_Error, "10060,Connection timed out")));
}

TEST(RecvPacketTest, OnePacketIsAtMost64KiB) {
  const std::string data = Pattern(100000);
  ScriptedPeer peer;
  peer.Send(data).Stall();
  peer.Start();
  TestTcpSocket socket;
  socket.SetSizeRecvBuffer(1 << 20);
  socket.Connect("127.0.0.1", peer.PortText());
  Stopwatch clock;
  while (socket.WaitingData() < 65536 && clock.Ms() < 5000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(socket.WaitingData(), 65536);
  EXPECT_EQ(socket.RecvPacket(3000), data.substr(0, 65536));
  EXPECT_EQ(socket.RecvBufferStr(100000 - 65536, 3000), data.substr(65536));
}

TEST(RecvStreams, SizedPrefixedAndRaw) {
  const std::string big = Pattern(150000);
  const std::string small = "stream!";
  ScriptedPeer peer;
  peer.Send(big)
      .Send(std::string("\x07\x00\x00\x00", 4) + small)
      .Send(std::string("\x00\x00\x00\x07", 4) + small)
      .Send("tail")
      .Close();
  Connected client(peer);
  client.socket.SendMaxChunk = 65536;
  MemoryStream sized, prefixed, indy, raw;
  client.socket.RecvStreamSize(sized, 5000, 150000);
  EXPECT_EQ(sized.Data(), big);
  client.socket.RecvStream(prefixed, 5000);
  EXPECT_EQ(prefixed.Data(), small);
  client.socket.RecvStreamIndy(indy, 5000);
  EXPECT_EQ(indy.Data(), small);
  client.socket.RecvStreamRaw(raw, 5000);
  EXPECT_EQ(raw.Data(), "tail");
  EXPECT_EQ(client.socket.LastError(), 10054);
  EXPECT_EQ(client.socket.RecvCounter(), 150000 + 11 + 11 + 4);
}

TEST(RecvStreams, LargeReadsGoStraightToTheStreamWithEveryBlockAnnounced) {
  // Bytes already buffered go first, then large network reads; the surplus after the sized
  // part stays for the next reader. With a filter, the stream gets the filtered bytes while the
  // monitor and the counts see what arrived.
  const std::string body = Pattern(3 * 1024 * 1024 + 17);
  for (const bool filtered : {false, true}) {
    SCOPED_TRACE(filtered ? "with read filter" : "without read filter");
    ScriptedPeer peer;
    peer.Send(body + "after").Stall();
    Connected client(peer);
    std::string monitored;
    client.socket.OnMonitor = [&monitored](TBlockSocket&, bool writing, const void* buffer,
                                           std::int32_t length) {
      if (!writing) monitored.append(static_cast<const char*>(buffer), length);
    };
    if (filtered) {
      client.socket.OnReadFilter = [](TBlockSocket&, std::string& value) {
        for (char& ch : value) ch = static_cast<char>(ch ^ 0x20);
      };
    }
    const std::string head = client.socket.RecvBufferStr(10, 3000);
    MemoryStream stream;
    client.socket.RecvStreamSize(stream, 5000, static_cast<std::int64_t>(body.size()) - 10);
    EXPECT_EQ(client.socket.LastError(), 0);
    std::string expected = body;
    if (filtered) {
      for (char& ch : expected) ch = static_cast<char>(ch ^ 0x20);
    }
    EXPECT_TRUE(head + stream.Data() == expected.substr(0, body.size()));
    EXPECT_TRUE(monitored.substr(0, body.size()) == body);
    std::int64_t announced = 0;
    for (const auto& event : client.events.Only({HR_ReadCount})) {
      announced += std::stoll(event.second);
    }
    EXPECT_EQ(announced, client.socket.RecvCounter());
    EXPECT_EQ(static_cast<std::size_t>(announced), monitored.size());
    EXPECT_EQ(client.socket.RecvBufferStr(5, 3000), filtered ? "AFTER" : "after");
  }
}

TEST(RecvStreams, SizedReadKeepsTheWholeChunksThatArrivedBeforeSilenceOrClose) {
  struct Case {
    const char* name;
    bool close;
    std::int32_t error;
  } cases[] = {{"silence", false, 10060}, {"close", true, 10054}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPeer peer;
    peer.Send(std::string(200000, 'p'));
    if (c.close) {
      peer.Close();
    } else {
      peer.Stall();
    }
    Connected client(peer);
    MemoryStream stream;
    Stopwatch clock;
    client.socket.RecvStreamSize(stream, 400, 300000);
    EXPECT_EQ(client.socket.LastError(), c.error);
    EXPECT_EQ(stream.Data(), std::string(3 * 65536, 'p'));  // the fourth chunk was cut short
    if (!c.close) {
      EXPECT_GE(clock.Ms(), 350);
    }
    EXPECT_EQ(client.events.Count(HR_Error), 1);
  }
}

TEST(RecvFilterAndPeek, FilterRewritesButCountsSeeWhatArrived) {
  ScriptedPeer peer;
  peer.Send("abcdef").Stall();
  Connected client(peer);
  ASSERT_TRUE(client.socket.CanRead(3000));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(client.socket.PeekByte(1000), 'a');
  char peeked[3];
  EXPECT_EQ(client.socket.PeekBuffer(peeked, 3), 3);
  EXPECT_EQ(client.socket.RecvCounter(), 0);  // peeking consumes nothing
  client.socket.OnReadFilter = [](TBlockSocket&, std::string& value) {
    for (char& ch : value) ch = static_cast<char>(ch - 'a' + 'A');
    value += "-longer";  // cut back to the received length
  };
  EXPECT_EQ(client.socket.RecvPacket(3000), "ABCDEF");
  EXPECT_THAT(client.events.Only({HR_ReadCount}), ElementsAre(Pair(HR_ReadCount, "6")));
}

TEST(RecvPurge, DiscardsBufferedAndWaitingBytes) {
  ScriptedPeer peer;
  peer.Send("junk junk junk").Stall();
  Connected client(peer);
  ASSERT_TRUE(client.socket.CanRead(3000));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  client.socket.SetLineBuffer("old");
  client.socket.Purge();
  EXPECT_EQ(client.socket.LineBuffer(), "");
  EXPECT_EQ(client.socket.WaitingData(), 0);
  EXPECT_EQ(client.socket.LastError(), 0);
  EXPECT_EQ(client.socket.RecvCounter(), 14);
}

TEST(RecvStop, FlagFromAnotherThreadEndsALongReceive) {
  ScriptedPeer peer;
  peer.SendRepeatedly(std::string(1000, 's'), 500, 10);
  Connected client(peer);
  MemoryStream stream;
  std::thread stopper([&client] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    client.socket.StopFlag = true;
  });
  Stopwatch clock;
  client.socket.RecvStreamRaw(stream, 5000);
  stopper.join();
  EXPECT_EQ(client.socket.LastError(), 10053);
  EXPECT_GT(stream.Size(), 0);
  EXPECT_LT(clock.Ms(), 3000);
  EXPECT_FALSE(client.socket.StopFlag);
}

TEST(RecvThrottle, ReceiveLimitSpacesTheReads) {
  ScriptedPeer peer;
  peer.Send(std::string(1000, 'r'))
      .Wait(50)
      .Send(std::string(1000, 'r'))
      .Wait(50)
      .Send(std::string(1000, 'r'))
      .Stall();
  Connected client(peer);
  client.socket.MaxRecvBandwidth = 2000;  // each 1000-byte read reserves 500 ms
  Stopwatch clock;
  EXPECT_EQ(client.socket.RecvBufferStr(3000, 5000).size(), 3000u);
  const auto elapsed = clock.Ms();
  EXPECT_GE(client.events.Count(HR_Wait), 1);
  EXPECT_GE(elapsed, 400);
  EXPECT_LT(elapsed, 3000);
}

TEST(RecvDatagrams, PingPongOverIPv4AndIPv6Loopback) {
  for (const char* host : {"127.0.0.1", "::1"}) {
    SCOPED_TRACE(host);
    ScriptedPeer peer(ScriptedPeer::Protocol::Udp, host);
    peer.Expect("ping").Send("pong");
    peer.Start();
    TUDPBlockSocket socket;
    EventRecorder events;
    events.Attach(socket);
    socket.Bind(host, "0");
    ASSERT_EQ(socket.LastError(), 0) << socket.LastErrorDesc();
    socket.SetRemoteSin(host, peer.PortText());
    EXPECT_EQ(socket.SendBufferTo("ping", 4), 4);
    ASSERT_TRUE(socket.CanRead(3000));
    char buffer[64];
    EXPECT_EQ(socket.RecvBufferFrom(buffer, sizeof(buffer)), 4);
    EXPECT_EQ(std::string(buffer, 4), "pong");
    EXPECT_EQ(socket.GetRemoteSinPort(), peer.Port());
    EXPECT_EQ(socket.GetRemoteSinIP(), host);
    EXPECT_EQ(events.Count(HR_WriteCount), 1);
    EXPECT_THAT(events.Only({HR_ReadCount}), ElementsAre(Pair(HR_ReadCount, "4")));
    ASSERT_TRUE(peer.WaitDone());
    EXPECT_THAT(peer.Failures(), IsEmpty());
    EXPECT_THAT(peer.Datagrams(), ElementsAre("ping"));
  }
}

}  // namespace
}  // namespace ov::testing
