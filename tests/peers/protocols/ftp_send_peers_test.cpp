// The FTP client against real servers (vsftpd, pure-ftpd, proftpd) on loopback: logons,
// passive and active data connections, IPv6, listings, resumed downloads and uploads, and
// the file and directory commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>

#include "protocols/ftp_send.h"
#include "protocols/ftp_send_text.h"
#include "support/ftp_servers.h"

namespace ov {
namespace {

namespace fs = std::filesystem;
using testing::FtpServer;
using testing::FtpServerKind;

std::string Content(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Utf8(const fs::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

// A client for `server` that keeps a transcript of the conversation for failure messages.
class Client {
 public:
  Client(const FtpServer& server, bool as_user) {
    const testing::FtpServerInfo& info = server.Info();
    ftp.TargetHost = info.host;
    ftp.TargetPort = std::to_string(info.port);
    if (as_user) {
      ftp.UserName = info.user;
      ftp.Password = info.password;
    }
    ftp.Timeout = 15000;
    ftp.OnStatus = [this](TFTPSend&, bool response, const std::string& value) {
      transcript += (response ? "< " : "> ") + value + "\n";
    };
  }
  TFTPSend ftp;
  std::string transcript;
};

// A folder of the server's root the listing tests compare against.
void MakeListingFolder(const fs::path& root) {
  fs::create_directories(root / "dir" / "subdir");
  WriteFile(root / "dir" / "one.txt", std::string(1234, 'x'));
  WriteFile(root / "dir" / "name with  spaces.txt", std::string(42, 'y'));
}

std::set<std::string> ListedNames(const TFTPList& list, bool& subdir_is_directory) {
  std::set<std::string> names;
  for (std::size_t i = 0; i < list.Count(); ++i) {
    const TFTPListRec* rec = list.Items(i);
    if (rec->FileName == "." || rec->FileName == "..") continue;
    names.insert(rec->FileName);
    if (rec->FileName == "subdir") subdir_is_directory = rec->Directory;
    if (rec->FileName == "one.txt") {
      EXPECT_EQ(rec->FileSize, 1234);
    }
  }
  return names;
}

class FtpSendPeers : public ::testing::TestWithParam<FtpServerKind> {};

TEST_P(FtpSendPeers, AnonymousPassiveDownloadAndListings) {
  OV_START_FTP_SERVER(server, GetParam(), false);
  const fs::path root = server->Info().root;
  const std::string data = Content(300000, 1);
  WriteFile(root / "data.bin", data);
  MakeListingFolder(root);

  Client c(*server, false);
  TFTPSend& ftp = c.ftp;
  ASSERT_TRUE(ftp.Login()) << c.transcript << server->LogText();
  EXPECT_EQ(ftp.GetCurrentDir(), "/") << c.transcript;
  EXPECT_EQ(ftp.FileSize("data.bin"), 300000) << c.transcript;
  EXPECT_EQ(ftp.FileSize("missing.bin"), -1);
  EXPECT_TRUE(ftp.RetrieveFile("data.bin", false)) << c.transcript;
  EXPECT_TRUE(ftp.DataStream().Data() == data) << "downloaded bytes differ";
  EXPECT_FALSE(ftp.RetrieveFile("missing.bin", false));
  EXPECT_EQ(ftp.ResultCode() / 100, 5) << c.transcript;

  const std::set<std::string> expected = {"one.txt", "name with  spaces.txt", "subdir"};
  bool subdir_is_directory = false;
  ASSERT_TRUE(ftp.List("dir", false)) << c.transcript;
  EXPECT_EQ(ListedNames(ftp.FtpList(), subdir_is_directory), expected) << ftp.DataStream().Data();
  EXPECT_TRUE(subdir_is_directory);
  EXPECT_TRUE(ftp.FtpList().UnparsedLines().empty() ||
              ftp.FtpList().UnparsedLines().front().starts_with("total"));

  ASSERT_TRUE(ftp.List("dir", true)) << c.transcript;
  std::set<std::string> names;
  for (const std::string& line : ListingLines(ftp.DataStream().Data())) {
    const std::string name = fs::path(line).filename().string();  // some prefix the folder
    if (name != "." && name != "..") names.insert(name);
  }
  EXPECT_EQ(names, expected) << ftp.DataStream().Data();

  if (GetParam() != FtpServerKind::Vsftpd) {  // vsftpd has no MLSD
    ftp.UseMLSDList = true;
    subdir_is_directory = false;
    ASSERT_TRUE(ftp.List("dir", false)) << c.transcript;
    EXPECT_EQ(ListedNames(ftp.FtpList(), subdir_is_directory), expected) << ftp.DataStream().Data();
    EXPECT_TRUE(subdir_is_directory);
  }

  EXPECT_TRUE(ftp.ChangeWorkingDir("dir")) << c.transcript;
  EXPECT_EQ(ftp.GetCurrentDir(), "/dir");
  EXPECT_TRUE(ftp.ChangeToRootDir());
  EXPECT_EQ(ftp.GetCurrentDir(), "/");
  EXPECT_TRUE(ftp.ChangeWorkingDir("dir/subdir"));
  EXPECT_TRUE(ftp.ChangeToParentDir());
  EXPECT_EQ(ftp.GetCurrentDir(), "/dir");
  EXPECT_FALSE(ftp.ChangeWorkingDir("no-such-dir"));
  EXPECT_TRUE(ftp.NoOp());
  EXPECT_TRUE(ftp.Logout()) << c.transcript;
}

TEST_P(FtpSendPeers, ActiveModeDownloadToFile) {
  OV_START_FTP_SERVER(server, GetParam(), false);
  const fs::path root = server->Info().root;
  const std::string data = Content(2 * 1024 * 1024 + 17, 2);
  WriteFile(root / "big.bin", data);
  MakeListingFolder(root);
  const fs::path local = fs::path(root).parent_path() / "big.local";

  Client c(*server, true);
  TFTPSend& ftp = c.ftp;
  ftp.PassiveMode = false;
  ASSERT_TRUE(ftp.Login()) << c.transcript << server->LogText();
  ftp.DirectFile = true;
  ftp.DirectFileName = Utf8(local);
  EXPECT_TRUE(ftp.RetrieveFile("big.bin", false)) << c.transcript;
  EXPECT_TRUE(ReadFile(local) == data) << "downloaded file differs";
  EXPECT_NE(c.transcript.find("> PORT 127,0,0,1,"), std::string::npos) << c.transcript;
  ftp.DirectFile = false;
  bool subdir_is_directory = false;
  ASSERT_TRUE(ftp.List("dir", false)) << c.transcript;
  EXPECT_EQ(ListedNames(ftp.FtpList(), subdir_is_directory).size(), 3u);
  ftp.Logout();
}

TEST_P(FtpSendPeers, ResumesAPartialDownload) {
  OV_START_FTP_SERVER(server, GetParam(), false);
  const fs::path root = server->Info().root;
  const std::string data = Content(1000000, 3);
  WriteFile(root / "resume.bin", data);
  const fs::path local = fs::path(root).parent_path() / "resume.part";
  WriteFile(local, data.substr(0, 345678));

  Client c(*server, true);
  TFTPSend& ftp = c.ftp;
  ASSERT_TRUE(ftp.Login()) << c.transcript << server->LogText();
  ASSERT_TRUE(ftp.CanResume()) << c.transcript;
  ftp.DirectFile = true;
  ftp.DirectFileName = Utf8(local);
  EXPECT_TRUE(ftp.RetrieveFile("resume.bin", true)) << c.transcript;
  EXPECT_NE(c.transcript.find("> REST 345678\n"), std::string::npos) << c.transcript;
  EXPECT_TRUE(ReadFile(local) == data) << "resumed file differs";
  ftp.Logout();
}

TEST_P(FtpSendPeers, UploadsAndManagesFiles) {
  OV_START_FTP_SERVER(server, GetParam(), false);
  const fs::path root = server->Info().root;
  const std::string first = Content(70000, 4);
  const std::string second = Content(5000, 5);

  Client c(*server, true);
  TFTPSend& ftp = c.ftp;
  ASSERT_TRUE(ftp.Login()) << c.transcript << server->LogText();
  WriteBytesToStream(ftp.DataStream(), first);
  ftp.DataStream().Seek(0);
  ASSERT_TRUE(ftp.StoreFile("up.bin", false)) << c.transcript;
  EXPECT_TRUE(ReadFile(root / "up.bin") == first);

  ftp.DataStream().Clear();
  WriteBytesToStream(ftp.DataStream(), second);
  ftp.DataStream().Seek(0);
  EXPECT_TRUE(ftp.AppendFile("up.bin")) << c.transcript;
  const std::string appended = first + second;
  EXPECT_EQ(ftp.FileSize("up.bin"), static_cast<std::int64_t>(appended.size()));
  EXPECT_TRUE(ReadFile(root / "up.bin") == appended);

  // A resumed upload sends only what the server lacks.
  const std::string whole = Content(200000, 6);
  const fs::path local = fs::path(root).parent_path() / "whole.local";
  WriteFile(local, whole);
  // The partial copy goes up through the server, so that its user may write to it (a test
  // under Wine cannot hand the file to that user).
  ftp.DataStream().Clear();
  WriteBytesToStream(ftp.DataStream(), whole.substr(0, 80000));
  ftp.DataStream().Seek(0);
  ASSERT_TRUE(ftp.StoreFile("partial.bin", false)) << c.transcript;
  ASSERT_EQ(fs::file_size(root / "partial.bin"), 80000u);
  ftp.DirectFile = true;
  ftp.DirectFileName = Utf8(local);
  ASSERT_TRUE(ftp.CanResume());
  EXPECT_TRUE(ftp.StoreFile("partial.bin", true)) << c.transcript;
  EXPECT_NE(c.transcript.find("> REST 80000\n"), std::string::npos) << c.transcript;
  EXPECT_TRUE(ReadFile(root / "partial.bin") == whole) << "resumed upload differs";
  // When the remote file is complete, nothing is sent.
  const std::size_t before = c.transcript.size();
  EXPECT_TRUE(ftp.StoreFile("partial.bin", true)) << c.transcript;
  EXPECT_EQ(c.transcript.find("> STOR", before), std::string::npos) << c.transcript;
  ftp.DirectFile = false;

  EXPECT_TRUE(ftp.RenameFile("up.bin", "renamed.bin")) << c.transcript;
  EXPECT_FALSE(fs::exists(root / "up.bin"));
  EXPECT_TRUE(fs::exists(root / "renamed.bin"));
  EXPECT_FALSE(ftp.RenameFile("up.bin", "again.bin"));
  EXPECT_TRUE(ftp.DeleteFile("renamed.bin")) << c.transcript;
  EXPECT_FALSE(fs::exists(root / "renamed.bin"));
  EXPECT_FALSE(ftp.DeleteFile("renamed.bin"));

  // The local user's home is the root folder, seen as "/" or by its full path.
  const std::string home = ftp.GetCurrentDir();
  ASSERT_FALSE(home.empty()) << c.transcript;
  EXPECT_TRUE(ftp.CreateDir("made")) << c.transcript;
  EXPECT_TRUE(fs::is_directory(root / "made"));
  EXPECT_TRUE(ftp.ChangeWorkingDir("made"));
  EXPECT_EQ(ftp.GetCurrentDir(), (home == "/" ? "" : home) + "/made");
  EXPECT_TRUE(ftp.ChangeToParentDir());
  EXPECT_TRUE(ftp.DeleteDir("made")) << c.transcript;
  EXPECT_FALSE(fs::exists(root / "made"));
  ftp.Logout();
}

TEST_P(FtpSendPeers, Ipv6PassiveAndActive) {
  OV_START_FTP_SERVER(server, GetParam(), true);
  const fs::path root = server->Info().root;
  const std::string data = Content(100000, 7);
  WriteFile(root / "six.bin", data);

  for (const bool passive : {true, false}) {
    Client c(*server, false);
    TFTPSend& ftp = c.ftp;
    ftp.PassiveMode = passive;
    ASSERT_TRUE(ftp.Login()) << c.transcript << server->LogText();
    EXPECT_TRUE(ftp.Sock().IP6used());
    EXPECT_TRUE(ftp.RetrieveFile("six.bin", false)) << c.transcript;
    EXPECT_TRUE(ftp.DataStream().Data() == data) << "downloaded bytes differ";
    EXPECT_NE(c.transcript.find(passive ? "> EPSV 2\n" : "> EPRT |2|::1|"), std::string::npos)
        << c.transcript;
    EXPECT_EQ(ftp.DataIP(), "::1");
    ftp.Logout();
  }
}

INSTANTIATE_TEST_SUITE_P(Servers, FtpSendPeers, ::testing::ValuesIn(testing::kFtpServerKinds),
                         testing::FtpServerTestName);

}  // namespace
}  // namespace ov
