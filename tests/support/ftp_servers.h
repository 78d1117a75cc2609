// Real FTP servers for tests: vsftpd, pure-ftpd and proftpd started in the foreground on a free
// loopback port with a temporary root folder, anonymous access, one local user, a passive port
// range and PORT allowed; stopped with every process they started when the object goes away.
//
// Natively (Linux) the servers are started here. A test of the Windows build under Wine cannot
// start Linux daemons, so it takes a server that a native process started for it: the native
// side runs ServeFtpServerUntilReleased (see ftp_servers_serve in the peers tests), which
// writes the server's description to a file; the Wine test finds that description in the
// environment variable OV_FTP_<VSFTPD|PUREFTPD|PROFTPD> (the file's one line) and Start then
// returns that running server instead of starting one.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "support/requirements.h"

namespace ov::testing {

enum class FtpServerKind { Vsftpd, PureFtpd, ProFtpd };

// Program name (as OV_REQUIRE_PROGRAM looks it up) and the Debian package that has it.
const char* FtpServerProgram(FtpServerKind kind);
const char* FtpServerPackage(FtpServerKind kind);
// "vsftpd", "pure-ftpd", "proftpd".
const char* FtpServerName(FtpServerKind kind);
// The environment variable that hands a running server of `kind` to a test, and whether it is
// set (a server was handed over).
std::string FtpServerEnvName(FtpServerKind kind);
bool FtpServerHandedOver(FtpServerKind kind);

struct FtpServerInfo {
  std::string host;  // "127.0.0.1" or "::1"
  int port = 0;
  std::string user;  // the local user; anonymous logs on as "anonymous"
  std::string password;
  std::string root;  // folder both users see as "/" (a Windows path under Wine)
  int passive_low = 0, passive_high = 0;
};

// One line "host port user password passive_low passive_high root" and back.
std::string FormatFtpServerInfo(const FtpServerInfo& info);
bool ParseFtpServerInfo(std::string_view line, FtpServerInfo& info);

class FtpServer {
 public:
  // Starts `program` (a full path) as a server of `kind` on loopback, IPv6 (::1) when `ipv6`;
  // when one was handed over through the environment, returns that one (not stopped here).
  // nullptr with the reason in `error` when it does not come up.
  static std::unique_ptr<FtpServer> Start(FtpServerKind kind, const std::string& program, bool ipv6,
                                          std::string& error);
  ~FtpServer();
  FtpServer(const FtpServer&) = delete;
  FtpServer& operator=(const FtpServer&) = delete;

  const FtpServerInfo& Info() const { return info_; }
  FtpServerKind Kind() const { return kind_; }
  // "ftp://host:port/<path>" (IPv6 hosts in brackets), anonymous or as the local user.
  std::string Url(std::string_view path, bool as_user = false) const;
  // What the server wrote to its log so far (for failure messages).
  std::string LogText() const;

 private:
  FtpServer() = default;
  void Stop();

  FtpServerKind kind_ = FtpServerKind::Vsftpd;
  FtpServerInfo info_;
  std::string work_dir_;  // temporary folder: root/ and the server's configuration and log
  int pid_ = 0;           // process (and process group) of the server; 0 when not ours
};

// Starts a server, writes its description line to `info_file` and keeps it running until
// that file is deleted or `max_seconds` pass; then stops it. For handing a server to Wine.
bool ServeFtpServerUntilReleased(FtpServerKind kind, const std::string& program, bool ipv6,
                                 const std::string& info_file, int max_seconds, std::string& error);

}  // namespace ov::testing

// Starts a server of `kind` into `var` (a std::unique_ptr<FtpServer>), or takes the one handed
// over through the environment. Skips or fails the test as OV_REQUIRE_PROGRAM does when the
// program is missing (under Wine: skips when no server was handed over); fails it when the
// server does not start.
#ifdef _WIN32
#define OV_FIND_FTP_SERVER_PROGRAM(var, kind)                                                  \
  GTEST_SKIP() << "no " << ::ov::testing::FtpServerName(kind)                                  \
               << " handed over by the native side (" << ::ov::testing::FtpServerEnvName(kind) \
               << ")"
#else
#define OV_FIND_FTP_SERVER_PROGRAM(var, kind)                            \
  OV_REQUIRE_PROGRAM(var##_found, ::ov::testing::FtpServerProgram(kind), \
                     ::ov::testing::FtpServerPackage(kind));             \
  var = var##_found
#endif
#define OV_START_FTP_SERVER(var, kind, ipv6)                                   \
  std::string var##_program, var##_error;                                      \
  if (!::ov::testing::FtpServerHandedOver(kind)) {                             \
    OV_FIND_FTP_SERVER_PROGRAM(var##_program, kind);                           \
  }                                                                            \
  std::unique_ptr<::ov::testing::FtpServer> var =                              \
      ::ov::testing::FtpServer::Start(kind, var##_program, ipv6, var##_error); \
  ASSERT_TRUE(var) << ::ov::testing::FtpServerName(kind) << ": " << var##_error
