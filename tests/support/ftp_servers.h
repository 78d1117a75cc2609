// Real FTP servers for tests: vsftpd, pure-ftpd and proftpd started in the foreground on a free
// loopback port with a temporary root folder, anonymous access, one local user, a passive port
// range and PORT allowed; stopped with every process they started when the object goes away.
//
// Natively (Linux) the servers are child processes. A test of the Windows build under Wine
// starts the same Linux programs through a Unix shell that Wine runs for it; that shell ends
// the server's whole process group once the test removes its run-flag file (or after ten
// minutes). A server started elsewhere can also be handed over: ServeFtpServerUntilReleased
// writes its description to a file, and a test that finds that line in the environment
// variable OV_FTP_<VSFTPD|PUREFTPD|PROFTPD> uses that running server instead of starting one.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "support/requirements.h"

namespace ov::testing {

enum class FtpServerKind { Vsftpd, PureFtpd, ProFtpd };

// Every kind, in the order the tests run them.
inline constexpr FtpServerKind kFtpServerKinds[] = {FtpServerKind::Vsftpd, FtpServerKind::PureFtpd,
                                                    FtpServerKind::ProFtpd};
// The name of a test's instance for one kind: the server's name without dashes ("pureftpd").
std::string FtpServerTestName(const ::testing::TestParamInfo<FtpServerKind>& info);

// Program name (as OV_REQUIRE_PROGRAM looks it up) and the Debian package that has it.
const char* FtpServerProgram(FtpServerKind kind);
const char* FtpServerPackage(FtpServerKind kind);
// "vsftpd", "pure-ftpd", "proftpd".
const char* FtpServerName(FtpServerKind kind);
// Full path of the server program, as the server's launcher wants it (a Unix path under Wine);
// empty when it is not installed.
std::string FindFtpServerProgram(FtpServerKind kind);
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

class ServerProcess;

class FtpServer {
 public:
  // Starts `program` (a full path) as a server of `kind` on loopback, IPv6 (::1) when `ipv6`;
  // when one was handed over through the environment, returns that one (not stopped here).
  // nullptr with the reason in `error` when it does not come up.
  static std::unique_ptr<FtpServer> Start(FtpServerKind kind, const std::string& program, bool ipv6,
                                          std::string& error);
  // Stops the server with every process it started, and removes its folder.
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
  FtpServer();
  void Stop();

  FtpServerKind kind_ = FtpServerKind::Vsftpd;
  FtpServerInfo info_;
  std::string work_dir_;  // temporary folder (Unix path): root/, the configuration and the log
  std::unique_ptr<ServerProcess> process_;  // null when the server is not ours
};

// Starts a server, writes its description line to `info_file` and keeps it running until
// that file is deleted or `max_seconds` pass; then stops it. For handing a server to Wine.
bool ServeFtpServerUntilReleased(FtpServerKind kind, const std::string& program, bool ipv6,
                                 const std::string& info_file, int max_seconds, std::string& error);

}  // namespace ov::testing

// Starts a server of `kind` into `var` (a std::unique_ptr<FtpServer>), or takes the one handed
// over through the environment. Skips or fails the test as OV_REQUIRE_PROGRAM does when the
// program is missing; fails it when the server does not start.
#define OV_FIND_FTP_SERVER_PROGRAM(var, kind)                                            \
  var = ::ov::testing::FindFtpServerProgram(kind);                                       \
  if (var.empty()) {                                                                     \
    if (::ov::testing::RunningInCi()) {                                                  \
      FAIL() << ::ov::testing::FtpServerProgram(kind) << " is missing (Debian package "  \
             << ::ov::testing::FtpServerPackage(kind) << "); scripts/setup installs it"; \
    }                                                                                    \
    GTEST_SKIP() << ::ov::testing::FtpServerProgram(kind)                                \
                 << " is missing: run scripts/setup (Debian package "                    \
                 << ::ov::testing::FtpServerPackage(kind) << ")";                        \
  }
#define OV_START_FTP_SERVER(var, kind, ipv6)                                   \
  std::string var##_program, var##_error;                                      \
  if (!::ov::testing::FtpServerHandedOver(kind)) {                             \
    OV_FIND_FTP_SERVER_PROGRAM(var##_program, kind);                           \
  }                                                                            \
  std::unique_ptr<::ov::testing::FtpServer> var =                              \
      ::ov::testing::FtpServer::Start(kind, var##_program, ipv6, var##_error); \
  ASSERT_TRUE(var) << ::ov::testing::FtpServerName(kind) << ": " << var##_error
