// Listings of real FTP servers (vsftpd, pure-ftpd, proftpd): captured ones kept as fixtures,
// and live ones fetched with curl from a folder made for the test.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "protocols/ftp_list.h"
#include "protocols/ftp_list_datetime.h"
#include "support/ftp_servers.h"
#include "support/requirements.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#endif

namespace ov {
namespace {

namespace fs = std::filesystem;
using testing::FtpServerKind;

// What the test folder holds; sizes of folders and links are the server's business.
struct Entry {
  std::string name;
  bool directory;
  std::int64_t size;  // -1: not compared
};
const std::vector<Entry> kFolder = {
    {"recent.txt", false, 1234}, {"old file.txt", false, 10}, {"name with  spaces.txt", false, 42},
    {"subdir", true, -1},        {"link", true, -1},
};
constexpr const char* kOldFileDate = "2019-03-05";

fs::path FixtureDir() { return fs::path(testing::SourceDir()) / "tests/fixtures/listings"; }

std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::istringstream in(bytes);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Parses a listing and checks it against kFolder: every entry there, nothing else, sizes of
// files, directory flags (a link counts as a directory only where the listing says "l").
void ExpectFolder(const std::string& listing, bool mlsd, const std::string& label) {
  SCOPED_TRACE(label + ":\n" + listing);
  TFTPList list;
  list.CurrentTime = [] { return ParseListDateTime("2026-12-31 23:00:00").value(); };
  list.Lines() = SplitLines(listing);
  if (mlsd) {
    list.ParseMLSDLines();
  } else {
    list.ParseLines();
  }
  for (const std::string& line : list.UnparsedLines()) {
    EXPECT_TRUE(line.rfind("total ", 0) == 0) << "unparsed: " << line;
  }
  std::map<std::string, const TFTPListRec*> found;
  for (std::size_t i = 0; i < list.Count(); ++i) {
    const TFTPListRec* rec = list.Items(i);
    if (rec->FileName != "." && rec->FileName != "..") found[rec->FileName] = rec;
  }
  EXPECT_EQ(found.size(), kFolder.size());
  for (const Entry& want : kFolder) {
    const auto it = found.find(want.name);
    if (it == found.end()) {
      ADD_FAILURE() << "missing " << want.name;
      continue;
    }
    const TFTPListRec& rec = *it->second;
    if (want.size >= 0) {
      EXPECT_EQ(rec.FileSize, want.size) << want.name;
    }
    if (want.name == "link") {
      if (!mlsd) {
        EXPECT_EQ(rec.Directory, rec.Permission.starts_with("l")) << rec.OriginalLine;
      }
    } else {
      EXPECT_EQ(rec.Directory, want.directory) << rec.OriginalLine;
    }
    if (want.name == "old file.txt") {
      EXPECT_EQ(FormatListDateTime(rec.FileTime).substr(0, 10), kOldFileDate) << rec.OriginalLine;
    }
  }
}

// Captured listings of the three servers, one LIST and (where the server has it) one MLSD.
class CapturedListing : public ::testing::TestWithParam<FtpServerKind> {};

TEST_P(CapturedListing, ShowsTheFolderAsCreated) {
  const std::string name = testing::FtpServerName(GetParam());
  for (const bool mlsd : {false, true}) {
    const fs::path path = FixtureDir() / (name + (mlsd ? "_mlsd.txt" : "_list.txt"));
    if (mlsd && GetParam() == FtpServerKind::Vsftpd) {
      EXPECT_FALSE(fs::exists(path)) << "vsftpd has no MLSD";
      continue;
    }
    ASSERT_TRUE(fs::exists(path)) << path;
    ExpectFolder(ReadFile(path), mlsd, path.filename().string());
  }
}

INSTANTIATE_TEST_SUITE_P(Servers, CapturedListing, ::testing::ValuesIn(testing::kFtpServerKinds),
                         testing::FtpServerTestName);

// The first three bytes a server sends on connect, over IPv4 loopback.
std::string GreetingCode(int port) {
#ifdef _WIN32
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return "";
  const SOCKET fd = socket(AF_INET, SOCK_STREAM, 0);
#else
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
#endif
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  inet_pton(AF_INET, "127.0.0.1", &addr.sin_addr);
  std::string code;
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    char buf[3];
    int got = 0;
    for (int n = 1; got < 3 && n > 0; got += n) n = recv(fd, buf + got, 3 - got, 0);
    if (got == 3) code.assign(buf, 3);
  }
#ifdef _WIN32
  closesocket(fd);
  WSACleanup();
#else
  close(fd);
#endif
  return code;
}

// Starts vsftpd (under Wine too, through a Unix shell), or takes one handed over (see
// ServeForWine below); its root folder is one this process can reach.
TEST(FtpServerHandOver, ServerIsReachableWithItsRootFolder) {
  OV_START_FTP_SERVER(server, FtpServerKind::Vsftpd, false);
  EXPECT_EQ(GreetingCode(server->Info().port), "220");
  EXPECT_TRUE(fs::is_directory(server->Info().root)) << server->Info().root;
  testing::FtpServerInfo parsed;
  ASSERT_TRUE(testing::ParseFtpServerInfo(testing::FormatFtpServerInfo(server->Info()), parsed));
  EXPECT_EQ(parsed.port, server->Info().port);
  EXPECT_EQ(parsed.root, server->Info().root);
}

#ifndef _WIN32

// Output of a command line; empty on failure.
std::string RunCommand(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
    if (pclose(pipe) != 0) out.clear();
  }
  return out;
}

void WriteSized(const fs::path& path, std::size_t size) {
  std::ofstream(path, std::ios::binary) << std::string(size, 'x');
}

void SetTime(const fs::path& path, std::time_t when) {
  const timeval times[2] = {{when, 0}, {when, 0}};
  ASSERT_EQ(lutimes(path.c_str(), times), 0) << path;
}

// The folder kFolder describes, at <root>/dir.
void MakeFolder(const fs::path& root) {
  const fs::path dir = root / "dir";
  fs::create_directories(dir / "subdir");
  WriteSized(dir / "recent.txt", 1234);
  WriteSized(dir / "old file.txt", 10);
  WriteSized(dir / "name with  spaces.txt", 42);
  fs::create_symlink("recent.txt", dir / "link");
  const std::time_t now = std::time(nullptr);
  SetTime(dir / "recent.txt", now - 3600);
  SetTime(dir / "name with  spaces.txt", now - 86400);
  std::tm old{};
  old.tm_year = 2019 - 1900, old.tm_mon = 2, old.tm_mday = 5, old.tm_hour = 12;
  SetTime(dir / "old file.txt", timegm(&old));
}

// curl as the reference client: LIST, or MLSD with `mlsd`; extra options before the URL.
std::string Fetch(const std::string& curl, const std::string& url, bool mlsd,
                  const std::string& options = "") {
  return RunCommand(curl + " -s -S -g --max-time 30 " + (mlsd ? "-X MLSD " : "") + options + " '" +
                    url + "'");
}

class LiveListing : public ::testing::TestWithParam<FtpServerKind> {};

// Lists a fresh folder anonymously (passive and PORT) and as the local user. With
// OV_CAPTURE_LISTINGS=1 the listings are saved as the fixtures above.
TEST_P(LiveListing, ShowsTheFolderAsCreated) {
  OV_REQUIRE_PROGRAM(curl, "curl", "curl");
  OV_START_FTP_SERVER(server, GetParam(), false);
  MakeFolder(server->Info().root);
  const std::string name = testing::FtpServerName(GetParam());
  const bool has_mlsd = GetParam() != FtpServerKind::Vsftpd;
  for (const bool mlsd : {false, true}) {
    if (mlsd && !has_mlsd) continue;
    const std::string listing = Fetch(curl, server->Url("dir/"), mlsd);
    ASSERT_FALSE(listing.empty()) << server->LogText();
    ExpectFolder(listing, mlsd, name + (mlsd ? " MLSD" : " LIST"));
    if (std::getenv("OV_CAPTURE_LISTINGS")) {
      std::ofstream(FixtureDir() / (name + (mlsd ? "_mlsd.txt" : "_list.txt")), std::ios::binary)
          << listing;
    }
  }
  ExpectFolder(Fetch(curl, server->Url("dir/"), false, "--ftp-port 127.0.0.1"), false,
               name + " LIST over PORT");
  ExpectFolder(Fetch(curl, server->Url("dir/", true), false), false, name + " LIST as user");
}

// The same servers on IPv6 loopback.
TEST_P(LiveListing, AnswersOnIpv6Loopback) {
  OV_REQUIRE_PROGRAM(curl, "curl", "curl");
  OV_START_FTP_SERVER(server, GetParam(), true);
  EXPECT_EQ(server->Info().host, "::1");
  MakeFolder(server->Info().root);
  ExpectFolder(Fetch(curl, server->Url("dir/"), false), false, "LIST over ::1");
}

INSTANTIATE_TEST_SUITE_P(Servers, LiveListing, ::testing::ValuesIn(testing::kFtpServerKinds),
                         testing::FtpServerTestName);

// Not a check: keeps a server running for a test of the Windows build under Wine. Run with
//   OV_FTP_SERVE=<vsftpd|pure-ftpd|proftpd> OV_FTP_SERVE_FILE=<file> peers_protocols_tests
//     --gtest_also_run_disabled_tests --gtest_filter='*ServeForWine*'
// then export the file's line as OV_FTP_<VSFTPD|PUREFTPD|PROFTPD> for the Wine test, and
// delete the file to stop the server.
TEST(FtpServerHandOver, DISABLED_ServeForWine) {
  const char* kind_name = std::getenv("OV_FTP_SERVE");
  const char* file = std::getenv("OV_FTP_SERVE_FILE");
  if (!kind_name || !file) GTEST_SKIP() << "set OV_FTP_SERVE and OV_FTP_SERVE_FILE";
  for (const FtpServerKind kind : testing::kFtpServerKinds) {
    if (testing::FtpServerName(kind) != std::string(kind_name)) continue;
    OV_REQUIRE_PROGRAM(program, testing::FtpServerProgram(kind), testing::FtpServerPackage(kind));
    std::string error;
    EXPECT_TRUE(testing::ServeFtpServerUntilReleased(kind, program, false, file, 3600, error))
        << error;
    return;
  }
  FAIL() << "unknown server " << kind_name;
}

#endif

}  // namespace
}  // namespace ov
