// Reply parsing and logon tables of the FTP client, without a network.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocols/ftp_send_logon.h"
#include "protocols/ftp_send_text.h"

namespace ov {
namespace {

TEST(FtpSendText, ReplyCodeNeedsFourthCharacterSpaceOrDash) {
  EXPECT_EQ(FtpReplyCode("220 ready"), "220");
  EXPECT_EQ(FtpReplyCode("220-first"), "220");
  EXPECT_EQ(FtpReplyCode("220-"), "220");
  EXPECT_EQ(FtpReplyCode("220"), "");
  EXPECT_EQ(FtpReplyCode("2200 x"), "");
  EXPECT_EQ(FtpReplyCode(" 220 x"), "");
}

TEST(FtpSendText, PasvReplies) {
  struct Case {
    const char* line;
    const char* ip;
    const char* port;
  };
  const Case cases[] = {
      {"227 Entering Passive Mode (192,168,0,10,19,137)", "192.168.0.10", "5001"},
      {"227 Entering Passive Mode 10,0,0,1,4,1", "10.0.0.1", "1025"},
      {"227 =( 127, 0, 0, 1 , 0 , 21 ). ", "127.0.0.1", "21"},
      {"227 Passive (1,2,3,4,x,5)", "1.2.3.4", "5"},  // a field that is no number counts 0
  };
  for (const Case& c : cases) {
    const FtpHostPort parsed = ParsePasvReply(c.line);
    EXPECT_EQ(parsed.IP, c.ip) << c.line;
    EXPECT_EQ(parsed.Port, c.port) << c.line;
  }
}

TEST(FtpSendText, EpsvReplies) {
  EXPECT_EQ(ParseEpsvPort("229 Entering Extended Passive Mode (|||6446|)"), "6446");
  EXPECT_EQ(ParseEpsvPort("229 (!!!21!)"), "21");
  EXPECT_EQ(ParseEpsvPort("229 (|||port|)"), "");
  EXPECT_EQ(ParseEpsvPort("229 nothing"), "");
}

TEST(FtpSendText, SizeAndPwdReplies) {
  EXPECT_EQ(SizeFromReply("213 1048576"), 1048576);
  EXPECT_EQ(SizeFromReply("213 5000000000 bytes"), 5000000000LL);  // past 32 bits
  EXPECT_EQ(SizeFromReply("213 "), -1);
  EXPECT_EQ(SizeFromReply("213 big"), -1);
  EXPECT_EQ(SizeFromReply("213 99999999999999999999"), -1);
  EXPECT_EQ(DirectoryFromPwdReply("257 \"/pub/files\" is the current directory"), "/pub/files");
  EXPECT_EQ(DirectoryFromPwdReply("257 \" /with space \""), "/with space");
  EXPECT_EQ(DirectoryFromPwdReply("257 /plain"), "257 /plain");
}

TEST(FtpSendText, PortArgumentSplitsThePort) {
  EXPECT_EQ(PortArgument("127.0.0.1", 5001), "127,0,0,1,19,137");
  EXPECT_EQ(PortArgument("10.1.2.3", 20), "10,1,2,3,0,20");
}

TEST(FtpSendText, ListingLinesSplitAndDecode) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(ListingLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(ListingLines("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
  EXPECT_EQ(ListingLines(""), Lines{});
  // No byte-order mark: the ANSI code page (e-acute is 0xE9 there).
  EXPECT_EQ(ListingLines("caf\xE9\r\n"), Lines{"caf\xC3\xA9"});
  EXPECT_EQ(ListingLines("\xEF\xBB\xBF"
                         "caf\xC3\xA9\n"),
            Lines{"caf\xC3\xA9"});
  EXPECT_EQ(ListingLines(std::string("\xFF\xFE"
                                     "a\0\xE9\0\n\0b\0",
                                     10)),
            (Lines{"a\xC3\xA9", "b"}));
  EXPECT_EQ(ListingLines(std::string("\xFE\xFF\xD8\x3D\xDE\x00", 6)), Lines{"\xF0\x9F\x98\x80"});
}

// ---- Logon tables ---------------------------------------------------------------------------

LogonCredentials Credentials(const char* port = "21") {
  return {"user", "pw", "acct", "fwuser", "fwpw", "ftp.example", port};
}

struct LogonRun {
  bool ok;
  std::vector<std::string> sent;
};

// Answers the commands with `replies` in order (0 once they run out).
LogonRun Walk(const TLogonActions& table, std::vector<int> replies,
              const LogonCredentials& credentials = Credentials()) {
  LogonRun run{false, {}};
  std::size_t next = 0;
  run.ok = RunLogonTable(table, credentials, [&](const std::string& line) {
    run.sent.push_back(line);
    return next < replies.size() ? replies[next++] : 0;
  });
  return run;
}

TEST(FtpSendLogon, BuiltInSequences) {
  using Sent = std::vector<std::string>;
  struct Case {
    int mode;
    std::vector<int> replies;
    bool ok;
    Sent sent;
  };
  const Case cases[] = {
      {0, {331, 230}, true, {"USER user", "PASS pw"}},
      {0, {230}, true, {"USER user"}},
      {0, {331, 332, 230}, true, {"USER user", "PASS pw", "ACCT acct"}},
      {0, {331, 332, 332}, false, {"USER user", "PASS pw", "ACCT acct"}},
      {0, {530}, false, {"USER user"}},
      {0, {150}, false, {"USER user"}},  // a preliminary reply is no answer to a logon step
      {42, {331, 230}, true, {"USER user", "PASS pw"}},
      {1,
       {331, 230, 331, 331, 230},
       true,
       {"USER fwuser", "PASS fwpw", "SITE ftp.example", "USER user", "PASS pw"}},
      {1, {331, 230, 200}, false, {"USER fwuser", "PASS fwpw", "SITE ftp.example"}},
      {1, {331, 331}, false, {"USER fwuser", "PASS fwpw"}},
      {2,
       {331, 230, 331, 230},
       true,
       {"USER fwuser", "PASS fwpw", "USER user@ftp.example", "PASS pw"}},
      {3, {230, 331, 230}, true, {"USER fwuser", "USER user", "PASS pw"}},
      {4, {220, 331, 230}, true, {"OPEN ftp.example", "USER user", "PASS pw"}},
      {5, {331, 230}, true, {"USER user@ftp.example", "PASS pw"}},
      {6,
       {331, 230, 331, 332, 230},
       true,
       {"USER fwuser@ftp.example", "PASS fwpw", "USER user", "PASS pw", "ACCT acct"}},
      {7, {331, 230}, true, {"USER user@ftp.example fwuser", "PASS pw"}},
      {7, {230}, false, {"USER user@ftp.example fwuser"}},
      {8, {331, 230}, true, {"USER user@fwuser@ftp.example", "PASS pw@fwpw"}},
  };
  for (const Case& c : cases) {
    const LogonRun run = Walk(BuiltInLogonTable(c.mode), c.replies);
    EXPECT_EQ(run.ok, c.ok) << "mode " << c.mode << ", first reply " << c.replies.front();
    EXPECT_EQ(run.sent, c.sent) << "mode " << c.mode << ", first reply " << c.replies.front();
  }
}

TEST(FtpSendLogon, TargetNamesItsPortUnless21) {
  const LogonCredentials other_port = Credentials("2121");
  EXPECT_EQ(LogonCommandLine(5, other_port, ""), "SITE ftp.example:2121");
  EXPECT_EQ(LogonCommandLine(7, other_port, ""), "OPEN ftp.example:2121");
  EXPECT_EQ(LogonCommandLine(6, other_port, ""), "USER user@ftp.example:2121");
  EXPECT_EQ(LogonCommandLine(7, Credentials("021"), ""), "OPEN ftp.example:021");
}

TEST(FtpSendLogon, CustomTables) {
  // An unknown code repeats the previous line (an empty one at the first step).
  TLogonActions repeat{12, 3, 3, 0, 6, 6, 99, kLogonSucceeded, kLogonFailed};
  LogonRun run = Walk(repeat, {331, 331, 230});
  EXPECT_TRUE(run.ok);
  EXPECT_EQ(run.sent, (std::vector<std::string>{"", "USER user", "USER user"}));

  // A destination beyond the six steps ends the logon instead of reading past the table.
  for (std::uint8_t bad : {16, 17, 18, 100, 253}) {
    TLogonActions out_of_range{0, bad, bad};
    run = Walk(out_of_range, {230});
    EXPECT_FALSE(run.ok) << int{bad};
    EXPECT_EQ(run.sent.size(), 1u) << int{bad};
  }
  // The last step may start at 15.
  TLogonActions last_step{0, 15, 15};
  last_step[15] = 1;
  last_step[16] = kLogonSucceeded;
  run = Walk(last_step, {331, 230});
  EXPECT_TRUE(run.ok);
  EXPECT_EQ(run.sent, (std::vector<std::string>{"USER user", "PASS pw"}));

  // A table that leads back to itself stops after six commands.
  TLogonActions loop{0, 0, 0};
  run = Walk(loop, std::vector<int>(20, 331));
  EXPECT_FALSE(run.ok);
  EXPECT_EQ(run.sent.size(), 6u);
}

}  // namespace
}  // namespace ov
