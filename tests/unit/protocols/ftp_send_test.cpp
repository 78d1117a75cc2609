// The FTP client against scripted loopback servers: exact command sequences, odd replies,
// data connections and resumed transfers.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "net/stream.h"
#include "protocols/ftp_send.h"
#include "support/scripted_peer.h"

namespace ov {
namespace {

using testing::ScriptedPeer;

// Makes the protected connection step reachable, to test reply reading on its own.
class OpenableFTPSend : public TFTPSend {
 public:
  using TFTPSend::OpenControl;
  using TFTPSend::PrepareData;
};

// A destination that takes at most `room` bytes, as a full disk does.
class FullDiskStream : public MemoryStream {
 public:
  explicit FullDiskStream(std::size_t room) : room_(room) {}
  std::size_t Write(const void* buffer, std::size_t count) override {
    const std::size_t taken = std::min(count, room_);
    room_ -= taken;
    return MemoryStream::Write(buffer, taken);
  }

 private:
  std::size_t room_;
};

void Configure(TFTPSend& ftp, const ScriptedPeer& control) {
  ftp.TargetHost = control.Host();
  ftp.TargetPort = control.PortText();
  ftp.UserName = "user";
  ftp.Password = "pw";
  ftp.Timeout = 5000;
}

// Server side of the plain account's USER and PASS, both accepted.
ScriptedPeer& ScriptUserAndPassword(ScriptedPeer& peer) {
  return peer.Expect("USER user\r\n")
      .Send("331 password\r\n")
      .Expect("PASS pw\r\n")
      .Send("230 in\r\n");
}

// Server side of the settings sent after logon (binary type, file structure, stream mode),
// then of the restart test's first `REST 0`, answered with `rest_reply`.
ScriptedPeer& ScriptSettings(ScriptedPeer& peer, const std::string& rest_reply) {
  return peer.Expect("TYPE I\r\n")
      .Send("200 ok\r\n")
      .Expect("STRU F\r\n")
      .Send("200 ok\r\n")
      .Expect("MODE S\r\n")
      .Send("200 ok\r\n")
      .Expect("REST 0\r\n")
      .Send(rest_reply);
}

// Server side of a plain logon; `resume` answers the restart test with 350 three times.
void ScriptLogon(ScriptedPeer& peer, bool resume) {
  peer.Send("220 ready\r\n");
  ScriptUserAndPassword(peer);
  if (resume) {
    ScriptSettings(peer, "350 at 0\r\n")
        .Expect("REST 1\r\n")
        .Send("350 at 1\r\n")
        .Expect("REST 0\r\n")
        .Send("350 at 0\r\n");
  } else {
    ScriptSettings(peer, "502 no restart\r\n");
  }
}

// "227 ... (h1,h2,h3,h4,p1,p2)" naming `host` and the data peer's port.
std::string PasvReply(const std::string& host_commas, const ScriptedPeer& data, bool parens) {
  const std::string fields = host_commas + "," + std::to_string(data.Port() / 256) + "," +
                             std::to_string(data.Port() % 256);
  return "227 Entering Passive Mode " + (parens ? "(" + fields + ")" : fields) + "\r\n";
}

// Server side of PASV, naming the data peer's port, and of the TYPE I that follows it.
ScriptedPeer& ScriptPassive(ScriptedPeer& control, const ScriptedPeer& data,
                            const std::string& host_commas = "127,0,0,1", bool parens = true) {
  return control.Expect("PASV\r\n")
      .Send(PasvReply(host_commas, data, parens))
      .Expect("TYPE I\r\n")
      .Send("200 ok\r\n");
}

void ExpectScriptDone(ScriptedPeer& peer) {
  EXPECT_TRUE(peer.WaitDone());
  EXPECT_EQ(peer.Failures(), std::vector<std::string>{});
}

// A file in the system's temporary folder, removed at the end of the test.
class TempFile {
 public:
  explicit TempFile(const std::string& name)
      : path_(std::filesystem::temp_directory_path() /
              (name + "_" + std::to_string(std::random_device{}()) + "_" +
               std::to_string(counter_++))) {
    std::filesystem::remove(path_);
  }
  ~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  std::string Utf8() const {
    const std::u8string u8 = path_.u8string();
    return std::string(u8.begin(), u8.end());
  }
  void Write(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string Read() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  static inline std::atomic<int> counter_{0};
  std::filesystem::path path_;
};

// Has the client transfer straight into `file` in place of its memory stream.
void RetrieveInto(TFTPSend& ftp, const TempFile& file) {
  ftp.DirectFile = true;
  ftp.DirectFileName = file.Utf8();
}

TEST(FtpSendReplies, OneReplyIsReadUpToItsOwnCodeAndASpace) {
  struct Case {
    const char* script;
    int code;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"220-Welcome\r\n220-second\r\n220 ready\r\n",
       220,
       {"220-Welcome", "220-second", "220 ready"}},
      // Lines of other codes inside a multi-line reply do not end it.
      {"220-first\r\n230 other\r\n220 end\r\n", 220, {"220-first", "230 other", "220 end"}},
      // A line of three characters carries no code; the next line does.
      {"123\r\n221 bye\r\n", 221, {"123", "221 bye"}},
      // A bare LF or CR ends a line too.
      {"214-a\n214 b\r", 214, {"214-a", "214 b"}},
  };
  for (const Case& c : cases) {
    ScriptedPeer peer;
    peer.Send(c.script).Stall();
    peer.Start();
    OpenableFTPSend ftp;
    Configure(ftp, peer);
    std::vector<std::string> reported;
    ftp.OnStatus = [&](TFTPSend&, bool response, const std::string& value) {
      if (response) reported.push_back(value);
    };
    ASSERT_TRUE(ftp.OpenControl());
    EXPECT_EQ(ftp.ReadResult(), c.code) << c.script;
    EXPECT_EQ(ftp.ResultCode(), c.code);
    EXPECT_EQ(ftp.FullResult(), c.lines);
    EXPECT_EQ(ftp.ResultString(), c.lines.back());
    EXPECT_EQ(reported, c.lines);
  }
}

TEST(FtpSendReplies, ReplyWithoutCodeLineGivesZeroAtTimeout) {
  ScriptedPeer peer;
  peer.Send("220\r\n").Stall();
  peer.Start();
  OpenableFTPSend ftp;
  Configure(ftp, peer);
  ftp.Timeout = 300;
  ASSERT_TRUE(ftp.OpenControl());
  EXPECT_EQ(ftp.ReadResult(), 0);
  EXPECT_EQ(ftp.FullResult(), std::vector<std::string>{"220"});
  EXPECT_EQ(ftp.Sock().LastError(), 10060);
}

TEST(FtpSendReplies, EndlessReplyLineStopsAtTheLineLimit) {
  ScriptedPeer peer;
  // 4 MiB without a line end, then the connection stays open.
  peer.SendRepeatedly(std::string(64 * 1024, 'x'), 64, 0).Stall();
  peer.Start();
  OpenableFTPSend ftp;
  Configure(ftp, peer);
  ASSERT_TRUE(ftp.OpenControl());
  EXPECT_EQ(ftp.ReadResult(), 0);
  EXPECT_EQ(ftp.Sock().LastError(), 10055);
  EXPECT_TRUE(ftp.FullResult().empty());
}

TEST(FtpSendReplies, TelnetAbortBytesAndNoEffectOnTheNextTransfer) {
  ScriptedPeer data;
  data.Send("whole").Close();
  data.Start();
  ScriptedPeer peer;
  peer.Expect(
          "\xFF\xF4\xFF\xF2"
          "ABOR\r\n")
      .Expect("PASV\r\n")
      .Send(PasvReply("127,0,0,1", data, true))
      .Expect("RETR f\r\n")
      .Send("150 go\r\n226 done\r\n")
      .Stall();
  peer.Start();
  OpenableFTPSend ftp;
  Configure(ftp, peer);
  ASSERT_TRUE(ftp.OpenControl());
  ftp.TelnetAbort();
  EXPECT_TRUE(ftp.DSock().StopFlag);
  ASSERT_TRUE(ftp.PrepareData());
  ASSERT_EQ(ftp.FTPCommand("RETR f"), 150);
  EXPECT_TRUE(ftp.DataRead(ftp.DataStream()));
  EXPECT_EQ(ftp.DataStream().Data(), "whole");
  peer.WaitDone(1000);
  EXPECT_EQ(peer.Failures(), std::vector<std::string>{});
}

TEST(FtpSendLogin, RestartTestDecidesCanResume) {
  for (bool resume : {true, false}) {
    ScriptedPeer peer;
    ScriptLogon(peer, resume);
    peer.Start();
    TFTPSend ftp;
    Configure(ftp, peer);
    std::vector<std::string> commands;
    ftp.OnStatus = [&](TFTPSend&, bool response, const std::string& value) {
      if (!response) commands.push_back(value);
    };
    EXPECT_TRUE(ftp.Login());
    EXPECT_EQ(ftp.CanResume(), resume);
    ExpectScriptDone(peer);
    const std::size_t rest_commands = resume ? 3 : 1;
    EXPECT_EQ(commands.size(), 5 + rest_commands);
    EXPECT_EQ(commands.back(), "REST 0");
  }
}

TEST(FtpSendLogin, GreetingDecidesWhetherLogonStarts) {
  // Preliminary replies before the greeting are skipped; a refusal ends the login at once.
  struct Case {
    const char* greeting;
    bool ok;
  };
  for (const Case& c :
       {Case{"120 wait\r\n421 busy\r\n", false}, Case{"120 wait\r\n220 hi\r\n", true}}) {
    ScriptedPeer peer;
    peer.Send(c.greeting).Expect("USER user\r\n").Send("230 in\r\n");
    ScriptSettings(peer, "500 no\r\n");
    peer.StepLimit(1000);
    peer.Start();
    TFTPSend ftp;
    Configure(ftp, peer);
    EXPECT_EQ(ftp.Login(), c.ok) << c.greeting;
    ftp.Sock().CloseSocket();
    peer.WaitDone();
    EXPECT_EQ(peer.Received().starts_with("USER user\r\n"), c.ok) << c.greeting;
  }
}

TEST(FtpSendLogin, FirewallLogonGoesToTheFirewallHost) {
  ScriptedPeer firewall;
  firewall.Send("220 proxy\r\n")
      .Expect("USER fw@ftp.example:2121\r\n")
      .Send("331 fw password\r\n")
      .Expect("PASS fwpw\r\n")
      .Send("230 through\r\n");
  ScriptSettings(ScriptUserAndPassword(firewall), "502 no\r\n");
  firewall.Start();
  TFTPSend ftp;
  Configure(ftp, firewall);
  ftp.TargetHost = "ftp.example";  // never connected to: the firewall relays
  ftp.TargetPort = "2121";
  ftp.FWHost = firewall.Host();
  ftp.FWPort = firewall.PortText();
  ftp.FWUsername = "fw";
  ftp.FWPassword = "fwpw";
  ftp.FWMode = 6;
  EXPECT_TRUE(ftp.Login());
  ExpectScriptDone(firewall);
}

TEST(FtpSendLogin, WithoutFirewallHostTheModeIsIgnored) {
  ScriptedPeer peer;
  ScriptLogon(peer, false);
  peer.Start();
  TFTPSend ftp;
  Configure(ftp, peer);
  ftp.FWMode = 3;
  ftp.FWUsername = "fw";
  EXPECT_TRUE(ftp.Login());
  ExpectScriptDone(peer);
}

TEST(FtpSendLogin, CustomTableWithIndexOutOfRangeFails) {
  ScriptedPeer peer;
  peer.Send("220 ready\r\n").Expect("USER user\r\n").Send("230 in\r\n").ReceiveUntilClose();
  peer.Start();
  TFTPSend ftp;
  Configure(ftp, peer);
  ftp.FWHost = peer.Host();
  ftp.FWPort = peer.PortText();
  ftp.FWMode = -1;
  ftp.CustomLogon = {0, 30, 30};
  EXPECT_FALSE(ftp.Login());
  ftp.Sock().CloseSocket();
  ExpectScriptDone(peer);
  EXPECT_EQ(peer.Received(), "USER user\r\n");
}

TEST(FtpSendData, PasvAddressIsIgnoredInFavourOfTheControlPeer) {
  ScriptedPeer data;
  data.Send("listing bytes").Close();
  data.Start();
  ScriptedPeer control;
  ScriptLogon(control, false);
  // Another loopback address and no parentheses: nothing listens on 127.0.0.2.
  ScriptPassive(control, data, "127,0,0,2", false)
      .Expect("RETR f.bin\r\n")
      .Send("150 sending\r\n")
      .Send("226 done\r\n");
  control.Start();
  TFTPSend ftp;
  Configure(ftp, control);
  ASSERT_TRUE(ftp.Login());
  EXPECT_TRUE(ftp.RetrieveFile("f.bin", false));
  EXPECT_EQ(ftp.DataStream().Data(), "listing bytes");
  EXPECT_EQ(ftp.DataStream().Position(), 0);
  EXPECT_EQ(ftp.DataIP(), "127.0.0.1");
  EXPECT_EQ(ftp.DataPort(), data.PortText());
  ExpectScriptDone(control);
  ExpectScriptDone(data);
}

TEST(FtpSendData, RefusedRetrieveFails) {
  ScriptedPeer data;
  data.ReceiveUntilClose();
  data.Start();
  ScriptedPeer control;
  ScriptLogon(control, false);
  ScriptPassive(control, data).Expect("RETR missing\r\n").Send("550 no such file\r\n");
  control.Start();
  TFTPSend ftp;
  Configure(ftp, control);
  ASSERT_TRUE(ftp.Login());
  EXPECT_FALSE(ftp.RetrieveFile("missing", false));
  EXPECT_EQ(ftp.ResultCode(), 550);
  EXPECT_EQ(ftp.ResultString(), "550 no such file");
  ExpectScriptDone(control);
  ExpectScriptDone(data);  // the unused data connection was closed
}

TEST(FtpSendData, ResumeAppendsToThePartialFileOrLeavesItAlone) {
  struct Case {
    const char* rest_reply;
    bool ok;
  };
  for (const Case& c : {Case{"350 restarting\r\n", true}, Case{"554 no restart\r\n", false}}) {
    const std::string head(1000, 'a');
    TempFile file("ftp_send_resume");
    file.Write(head);
    ScriptedPeer data;
    if (c.ok) {
      data.Send("tail bytes").Close();
    } else {
      data.ReceiveUntilClose();
    }
    data.Start();
    ScriptedPeer control;
    ScriptLogon(control, true);
    ScriptPassive(control, data).Expect("REST 1000\r\n").Send(c.rest_reply);
    if (c.ok) control.Expect("RETR f.bin\r\n").Send("150 go\r\n226 done\r\n");
    control.Start();
    TFTPSend ftp;
    Configure(ftp, control);
    RetrieveInto(ftp, file);
    ASSERT_TRUE(ftp.Login());
    EXPECT_EQ(ftp.RetrieveFile("f.bin", true), c.ok) << c.rest_reply;
    EXPECT_EQ(file.Read(), c.ok ? head + "tail bytes" : head) << c.rest_reply;
    ExpectScriptDone(control);
    ExpectScriptDone(data);
  }
}

TEST(FtpSendData, PartialFileInUseIsNeitherEmptiedNorRequested) {
  TempFile file("ftp_send_in_use");
  file.Write(std::string(100, 'p'));
  ScriptedPeer data;
  data.ReceiveUntilClose();
  data.Start();
  ScriptedPeer control;
  ScriptLogon(control, true);
  control.Expect("PASV\r\n").Send(PasvReply("127,0,0,1", data, true)).ReceiveUntilClose();
  control.Start();
  TFTPSend ftp;
  Configure(ftp, control);
  RetrieveInto(ftp, file);
  ASSERT_TRUE(ftp.Login());
  {
    // Another program holds the file.
    auto holder = FileStream::Open(file.Utf8(), FileStream::Mode::OpenReadWrite, nullptr);
    ASSERT_TRUE(holder);
    EXPECT_FALSE(ftp.RetrieveFile("f.bin", true));
  }
  EXPECT_EQ(file.Read(), std::string(100, 'p'));
  ftp.Sock().CloseSocket();
  ExpectScriptDone(control);
  ExpectScriptDone(data);
  EXPECT_EQ(control.Received().find("RETR"), std::string::npos);
}

TEST(FtpSendData, ResumeWithoutServerSupportStartsAfresh) {
  TempFile file("ftp_send_fresh");
  file.Write("old content that is longer");
  ScriptedPeer data;
  data.Send("new").Close();
  data.Start();
  ScriptedPeer control;
  ScriptLogon(control, false);
  ScriptPassive(control, data).Expect("RETR f.bin\r\n").Send("150 go\r\n226 done\r\n");
  control.Start();
  TFTPSend ftp;
  Configure(ftp, control);
  RetrieveInto(ftp, file);
  ASSERT_TRUE(ftp.Login());
  EXPECT_TRUE(ftp.RetrieveFile("f.bin", true));
  EXPECT_EQ(file.Read(), "new");
  ExpectScriptDone(control);
}

TEST(FtpSendData, ResumedStoreSkipsCompleteFilesAndStartsOverWithoutSize) {
  struct Case {
    const char* size_reply;
    bool sends;
  };
  for (const Case& c : {Case{"213 5\r\n", false}, Case{"550 no size\r\n", true}}) {
    ScriptedPeer data;
    data.ReceiveUntilClose();
    data.Start();
    ScriptedPeer control;
    ScriptLogon(control, true);
    control.Expect("SIZE up.bin\r\n").Send(c.size_reply);
    ScriptPassive(control, data);
    if (c.sends) {
      control.Expect("ALLO 5\r\n")
          .Send("202 no need\r\n")
          .Expect("REST 0\r\n")
          .Send("350 ok\r\n")
          .Expect("STOR up.bin\r\n")
          .Send("150 go\r\n")
          .Wait(200)
          .Send("226 stored\r\n");
    }
    control.Start();
    TFTPSend ftp;
    Configure(ftp, control);
    ASSERT_TRUE(ftp.Login());
    WriteBytesToStream(ftp.DataStream(), "12345");
    EXPECT_TRUE(ftp.StoreFile("up.bin", true)) << c.size_reply;
    ExpectScriptDone(control);
    ExpectScriptDone(data);
    EXPECT_EQ(data.Received(), c.sends ? "12345" : "") << c.size_reply;
    ftp.Sock().CloseSocket();
  }
}

TEST(FtpSendData, UnstoredBytesFailTheTransferDespiteTheServersSuccess) {
  ScriptedPeer data;
  data.Send(std::string(5000, 'd')).Close();
  data.Start();
  ScriptedPeer control;
  control.Expect("PASV\r\n")
      .Send(PasvReply("127,0,0,1", data, true))
      .Expect("RETR f\r\n")
      .Send("150 go\r\n226 done\r\n")
      .Stall();
  control.Start();
  OpenableFTPSend ftp;
  Configure(ftp, control);
  ASSERT_TRUE(ftp.OpenControl());
  ASSERT_TRUE(ftp.PrepareData());
  ASSERT_EQ(ftp.FTPCommand("RETR f"), 150);
  FullDiskStream destination(1000);
  EXPECT_FALSE(ftp.DataRead(destination));
  EXPECT_EQ(ftp.ResultCode(), 226);
  EXPECT_EQ(destination.Data(), std::string(1000, 'd'));
}

TEST(FtpSendData, AbortEndsARunningDownload) {
  ScriptedPeer data;  // would take 20 s to send everything
  data.SendRepeatedly(std::string(1000, 'd'), 200, 100);
  data.Start();
  ScriptedPeer control;
  ScriptLogon(control, false);
  ScriptPassive(control, data)
      .Expect("RETR slow\r\n")
      .Send("150 go\r\n")
      .Expect("ABOR\r\n")
      .Send("426 aborted\r\n226 abort done\r\n")
      .Stall();
  control.Start();
  TFTPSend ftp;
  Configure(ftp, control);
  ASSERT_TRUE(ftp.Login());
  // Called from the data socket's own status event, as a progress display would.
  ftp.DSock().OnStatus = [&ftp](TBlockSocket&, THookSocketReason reason, const std::string&) {
    if (reason == HR_ReadCount) ftp.Abort();
  };
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ftp.RetrieveFile("slow", false));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(ftp.ResultCode(), 426);
  EXPECT_LT(ftp.DataStream().Size(), 200000);
  control.WaitDone(1000);
  EXPECT_EQ(control.Failures(), std::vector<std::string>{});
}

TEST(FtpSendData, EpsvOverIp6ConnectsToTargetHost) {
  ScriptedPeer data;  // on the target host's IPv4 address, unlike the control connection
  data.Send("over epsv").Close();
  data.Start();
  ScriptedPeer firewall(ScriptedPeer::Protocol::Tcp, "::1");
  firewall.Send("220 proxy\r\n")
      .Expect("USER user@127.0.0.1:2121\r\n")
      .Send("331 password\r\n")
      .Expect("PASS pw\r\n")
      .Send("230 in\r\n");
  ScriptSettings(firewall, "502 no\r\n")
      .Expect("EPSV 2\r\n")
      .Send("229 Entering Extended Passive Mode (|||" + data.PortText() + "|)\r\n")
      .Expect("TYPE I\r\n")
      .Send("200 ok\r\n")
      .Expect("RETR f\r\n")
      .Send("150 go\r\n226 done\r\n");
  firewall.Start();
  TFTPSend ftp;
  Configure(ftp, firewall);
  ftp.TargetHost = "127.0.0.1";
  ftp.TargetPort = "2121";
  ftp.FWHost = "::1";
  ftp.FWPort = firewall.PortText();
  ftp.FWMode = 5;
  ASSERT_TRUE(ftp.Login());
  EXPECT_TRUE(ftp.Sock().IP6used());
  EXPECT_TRUE(ftp.RetrieveFile("f", false));
  EXPECT_EQ(ftp.DataStream().Data(), "over epsv");
  EXPECT_EQ(ftp.DataIP(), "127.0.0.1");
  ExpectScriptDone(firewall);
}

}  // namespace
}  // namespace ov
