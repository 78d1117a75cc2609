#include "support/ftp_servers.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace ov::testing {
namespace fs = std::filesystem;

namespace {

constexpr const char* kUser = "ovftp";
constexpr const char* kPassword = "ovftp-test";
// SHA-512 crypt of kPassword, for the servers that read a passwd file of their own.
constexpr const char* kPasswordHash =
    "$6$ovtestsalt$uWxkSUsMR/gVI.hDnt9d7S10uvsdBXG95bqmuXL25/aG1JqiyEvmm6.kMeBwi4MjzosFaDiaMCE4l."
    "BNQWN2B.";

std::string EnvText(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? value : "";
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

const char* FtpServerProgram(FtpServerKind kind) {
  switch (kind) {
    case FtpServerKind::Vsftpd:
      return "vsftpd";
    case FtpServerKind::PureFtpd:
      return "pure-ftpd";
    case FtpServerKind::ProFtpd:
      return "proftpd";
  }
  return "";
}

const char* FtpServerPackage(FtpServerKind kind) {
  switch (kind) {
    case FtpServerKind::Vsftpd:
      return "vsftpd";
    case FtpServerKind::PureFtpd:
      return "pure-ftpd";
    case FtpServerKind::ProFtpd:
      return "proftpd-core";
  }
  return "";
}

const char* FtpServerName(FtpServerKind kind) { return FtpServerProgram(kind); }

std::string FtpServerEnvName(FtpServerKind kind) {
  switch (kind) {
    case FtpServerKind::Vsftpd:
      return "OV_FTP_VSFTPD";
    case FtpServerKind::PureFtpd:
      return "OV_FTP_PUREFTPD";
    case FtpServerKind::ProFtpd:
      return "OV_FTP_PROFTPD";
  }
  return "";
}

bool FtpServerHandedOver(FtpServerKind kind) { return !EnvText(FtpServerEnvName(kind)).empty(); }

std::string FormatFtpServerInfo(const FtpServerInfo& info) {
  std::ostringstream line;
  line << info.host << ' ' << info.port << ' ' << info.user << ' ' << info.password << ' '
       << info.passive_low << ' ' << info.passive_high << ' ' << info.root;
  return line.str();
}

bool ParseFtpServerInfo(std::string_view line, FtpServerInfo& info) {
  std::istringstream in{std::string(line)};
  FtpServerInfo parsed;
  if (!(in >> parsed.host >> parsed.port >> parsed.user >> parsed.password >> parsed.passive_low >>
        parsed.passive_high)) {
    return false;
  }
  std::getline(in >> std::ws, parsed.root);
  if (parsed.root.empty() || parsed.port <= 0) return false;
  info = parsed;
  return true;
}

std::string FtpServer::Url(std::string_view path, bool as_user) const {
  std::string url = "ftp://";
  if (as_user) url += info_.user + ":" + info_.password + "@";
  url += info_.host.find(':') != std::string::npos ? "[" + info_.host + "]" : info_.host;
  url += ":" + std::to_string(info_.port) + "/";
  while (!path.empty() && path.front() == '/') path.remove_prefix(1);
  return url + std::string(path);
}

std::string FtpServer::LogText() const {
  return work_dir_.empty() ? std::string() : ReadFile(fs::path(work_dir_) / "conf" / "server.log");
}

FtpServer::~FtpServer() { Stop(); }

#ifdef _WIN32

std::unique_ptr<FtpServer> FtpServer::Start(FtpServerKind kind, const std::string&, bool,
                                            std::string& error) {
  const std::string line = EnvText(FtpServerEnvName(kind));
  std::unique_ptr<FtpServer> server(new FtpServer());
  server->kind_ = kind;
  if (line.empty() || !ParseFtpServerInfo(line, server->info_)) {
    error = "no server handed over in " + FtpServerEnvName(kind);
    return nullptr;
  }
  // The native side names a Linux folder; Wine shows the Linux root as drive Z:.
  std::string& root = server->info_.root;
  if (!root.empty() && root.front() == '/') root = "Z:" + root;
  for (char& c : root) c = c == '/' ? '\\' : c;
  return server;
}

void FtpServer::Stop() {}

bool ServeFtpServerUntilReleased(FtpServerKind, const std::string&, bool, const std::string&, int,
                                 std::string& error) {
  error = "FTP servers are started by the native build only";
  return false;
}

#else

namespace {

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

struct Account {
  uid_t uid = 65534;
  gid_t gid = 65534;
};

Account LocalAccount() {
  Account account;
  if (const passwd* pw = getpwnam(kUser)) {
    account.uid = pw->pw_uid;
    account.gid = pw->pw_gid;
  }
  return account;
}

std::string AnonymousHome() {
  const passwd* pw = getpwnam("ftp");
  return pw && pw->pw_dir ? pw->pw_dir : "/srv/ftp";
}

// A port nobody listens on now (the kernel's choice for port 0).
int FreePort(bool ipv6) {
  const int fd = socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return 0;
  sockaddr_storage addr{};
  socklen_t len;
  if (ipv6) {
    auto* a6 = reinterpret_cast<sockaddr_in6*>(&addr);
    a6->sin6_family = AF_INET6;
    a6->sin6_addr = in6addr_loopback;
    len = sizeof(sockaddr_in6);
  } else {
    auto* a4 = reinterpret_cast<sockaddr_in*>(&addr);
    a4->sin_family = AF_INET;
    a4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    len = sizeof(sockaddr_in);
  }
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
    port = ntohs(ipv6 ? reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port
                      : reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
  }
  close(fd);
  return port;
}

// Starts argv[0] in a process group of its own, output to `log`; it is killed if we die.
pid_t Spawn(const std::vector<std::string>& args, const std::string& log) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    const int in = open("/dev/null", O_RDONLY);
    if (out >= 0) dup2(out, 1), dup2(out, 2);
    if (in >= 0) dup2(in, 0);
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (pid > 0) setpgid(pid, pid);
  return pid;
}

// Runs a helper program to its end; true when it exits with 0.
bool RunToEnd(const std::vector<std::string>& args, const std::string& log) {
  const pid_t pid = Spawn(args, log);
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// Ends the whole process group: politely, then by force; reaps the leader.
void KillGroup(pid_t pid) {
  kill(-pid, SIGTERM);
  int status = 0;
  bool reaped = false;
  for (int i = 0; i < 50 && !reaped; ++i) {
    reaped = waitpid(pid, &status, WNOHANG) == pid;
    if (!reaped) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(-pid, SIGKILL);  // also any connection handlers that outlived the leader
  if (!reaped) waitpid(pid, &status, 0);
}

// True once the server answers with its "220" greeting.
bool Greets(const std::string& host, int port) {
  const bool ipv6 = host.find(':') != std::string::npos;
  const int fd = socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_storage addr{};
  socklen_t len;
  if (ipv6) {
    auto* a6 = reinterpret_cast<sockaddr_in6*>(&addr);
    a6->sin6_family = AF_INET6;
    a6->sin6_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET6, host.c_str(), &a6->sin6_addr);
    len = sizeof(sockaddr_in6);
  } else {
    auto* a4 = reinterpret_cast<sockaddr_in*>(&addr);
    a4->sin_family = AF_INET;
    a4->sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, host.c_str(), &a4->sin_addr);
    len = sizeof(sockaddr_in);
  }
  bool ok = false;
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0) {
    pollfd p{fd, POLLIN, 0};
    char buf[4] = {};
    ok = poll(&p, 1, 3000) == 1 && recv(fd, buf, 3, MSG_WAITALL) == 3 &&
         std::string(buf, 3) == "220";
  }
  close(fd);
  return ok;
}

struct Launch {
  std::vector<std::string> argv;
  std::string error;  // set when preparing failed
};

Launch PrepareVsftpd(const std::string& program, const FtpServerInfo& info, bool ipv6,
                     const fs::path& conf) {
  std::ostringstream c;
  c << (ipv6 ? "listen=NO\nlisten_ipv6=YES\nlisten_address6="
             : "listen=YES\nlisten_ipv6=NO\n"
               "listen_address=")
    << info.host << "\nlisten_port=" << info.port << "\nbackground=NO\n"
    << "anonymous_enable=YES\nno_anon_password=YES\nanon_root=" << info.root << "\n"
    << "local_enable=YES\nlocal_root=" << info.root << "\nwrite_enable=YES\nlocal_umask=022\n"
    << "pasv_enable=YES\npasv_min_port=" << info.passive_low
    << "\npasv_max_port=" << info.passive_high << "\nport_enable=YES\n"
    << "connect_from_port_20=NO\nseccomp_sandbox=NO\nisolate=NO\nisolate_network=NO\n"
    << "xferlog_enable=NO\nsyslog_enable=NO\nhide_ids=NO\npam_service_name=vsftpd\n";
  WriteFile(conf / "vsftpd.conf", c.str());
  // Local users log on through PAM; the system's ftp rules also demand a login shell, which
  // the test account has not. A private mount shows vsftpd a plain password check instead.
  WriteFile(conf / "pam",
            "auth required pam_unix.so\naccount required pam_unix.so\n"
            "session required pam_permit.so\n");
  return {{"/usr/bin/unshare", "-m", "--", "/bin/sh", "-c",
           "mount --bind \"$1\" /etc/pam.d/vsftpd && shift && exec \"$@\"", "sh",
           (conf / "pam").string(), program, (conf / "vsftpd.conf").string()},
          ""};
}

Launch PreparePureFtpd(const std::string& program, const FtpServerInfo& info,
                       const fs::path& conf) {
  const Account account = LocalAccount();
  std::ostringstream line;
  line << kUser << ':' << kPasswordHash << ':' << account.uid << ':' << account.gid
       << "::" << info.root << "/./::::::::::::\n";
  WriteFile(conf / "pureftpd.passwd", line.str());
  fs::path pure_pw = fs::path(program).parent_path().parent_path() / "bin" / "pure-pw";
  if (!fs::exists(pure_pw)) pure_pw = FindProgram("pure-pw");
  const std::string log = (conf / "server.log").string();
  if (pure_pw.empty() || !RunToEnd({pure_pw.string(), "mkdb", (conf / "pureftpd.pdb").string(),
                                    "-f", (conf / "pureftpd.passwd").string()},
                                   log)) {
    return {{}, "pure-pw could not build the user database"};
  }
  // Anonymous users always land in the ftp account's home: a private mount puts the test
  // root there for this server alone.
  return {{"/usr/bin/unshare",
           "-m",
           "--",
           "/bin/sh",
           "-c",
           "mount --bind \"$1\" \"$2\" && shift 2 && exec \"$@\"",
           "sh",
           info.root,
           AnonymousHome(),
           program,
           "-S",
           info.host + "," + std::to_string(info.port),
           "-p",
           std::to_string(info.passive_low) + ":" + std::to_string(info.passive_high),
           "-l",
           "puredb:" + (conf / "pureftpd.pdb").string(),
           "-u",
           "1",
           "-A",
           "-H",
           "-g",
           (conf / "pure-ftpd.pid").string()},
          ""};
}

Launch PrepareProFtpd(const std::string& program, const FtpServerInfo& info, bool ipv6,
                      const fs::path& conf) {
  const Account account = LocalAccount();
  WriteFile(conf / "passwd", std::string(kUser) + ":" + kPasswordHash + ":" +
                                 std::to_string(account.uid) + ":" + std::to_string(account.gid) +
                                 "::" + info.root + ":/bin/sh\n");
  WriteFile(conf / "group", std::string(kUser) + ":x:" + std::to_string(account.gid) + ":\n");
  chmod((conf / "passwd").c_str(), 0600);  // proftpd refuses readable password files
  chmod((conf / "group").c_str(), 0600);
  const fs::path modules = fs::path(program).parent_path().parent_path() / "lib" / "proftpd";
  std::ostringstream c;
  c << "ServerName \"ov test\"\nServerType standalone\nDefaultServer on\n"
    << "Port " << info.port << "\nDefaultAddress " << info.host << "\nUseIPv6 "
    << (ipv6 ? "on" : "off") << "\nSocketBindTight on\n"
    << "User nobody\nGroup nogroup\nUmask 022\n"
    << "ScoreboardFile " << (conf / "scoreboard").string() << "\n"
    << "PidFile " << (conf / "proftpd.pid").string() << "\n"
    << "DelayTable " << (conf / "delay").string() << "\n"
    << "ModulePath " << modules.string() << "\n"
    << "WtmpLog off\nTransferLog none\nUseReverseDNS off\n"
    << "<IfModule mod_ctrls.c>\n  ControlsEngine off\n</IfModule>\n"
    << "<IfModule mod_cap.c>\n  CapabilitiesEngine off\n</IfModule>\n"
    << "<IfModule mod_delay.c>\n  DelayEngine off\n</IfModule>\n"
    << "AuthOrder mod_auth_file.c mod_auth_unix.c\n"
    << "AuthUserFile " << (conf / "passwd").string() << "\n"
    << "AuthGroupFile " << (conf / "group").string() << "\n"
    << "AuthPAM off\nRequireValidShell off\nDefaultRoot ~\nAllowOverwrite on\n"
    << "PassivePorts " << info.passive_low << ' ' << info.passive_high << "\n"
    << "<Anonymous " << info.root << ">\n  User ftp\n  Group nogroup\n"
    << "  UserAlias anonymous ftp\n  RequireValidShell off\n"
    << "  <Limit WRITE>\n    DenyAll\n  </Limit>\n</Anonymous>\n";
  WriteFile(conf / "proftpd.conf", c.str());
  return {{program, "-n", "-c", (conf / "proftpd.conf").string()}, ""};
}

// Makes the temporary folder: root/ (owned by the local user, readable by all) and conf/.
std::string MakeWorkDir(std::string& error) {
  std::string templ = (fs::temp_directory_path() / "ov-ftp-XXXXXX").string();
  if (!mkdtemp(templ.data())) {
    error = "cannot create a temporary folder";
    return "";
  }
  const fs::path dir(templ);
  std::error_code ec;
  fs::create_directory(dir / "root", ec);
  fs::create_directory(dir / "conf", ec);
  chmod(dir.c_str(), 0755);
  chmod((dir / "root").c_str(), 0755);
  chmod((dir / "conf").c_str(), 0755);
  const Account account = LocalAccount();
  if (chown((dir / "root").c_str(), account.uid, account.gid) != 0) {
    // Not root: the servers would not start anyway; they report that themselves.
  }
  return templ;
}

}  // namespace

std::unique_ptr<FtpServer> FtpServer::Start(FtpServerKind kind, const std::string& program,
                                            bool ipv6, std::string& error) {
  std::unique_ptr<FtpServer> server(new FtpServer());
  server->kind_ = kind;
  if (ParseFtpServerInfo(EnvText(FtpServerEnvName(kind)), server->info_)) return server;

  if (!getpwnam(kUser)) {
    error = std::string("the test account ") + kUser + " is missing: run scripts/setup as root";
    return nullptr;
  }
  // A free port may be taken between our look and the server's bind: try a few times.
  for (int attempt = 0; attempt < 3; ++attempt) {
    server->Stop();
    server->work_dir_ = MakeWorkDir(error);
    if (server->work_dir_.empty()) return nullptr;
    const fs::path conf = fs::path(server->work_dir_) / "conf";
    FtpServerInfo& info = server->info_;
    info.host = ipv6 ? "::1" : "127.0.0.1";
    info.port = FreePort(ipv6);
    info.user = kUser;
    info.password = kPassword;
    info.root = (fs::path(server->work_dir_) / "root").string();
    // Passive ports below the kernel's ephemeral range, spread by the control port.
    info.passive_low = 20000 + (info.port % 199) * 50;
    info.passive_high = info.passive_low + 49;
    Launch launch;
    switch (kind) {
      case FtpServerKind::Vsftpd:
        launch = PrepareVsftpd(program, info, ipv6, conf);
        break;
      case FtpServerKind::PureFtpd:
        launch = PreparePureFtpd(program, info, conf);
        break;
      case FtpServerKind::ProFtpd:
        launch = PrepareProFtpd(program, info, ipv6, conf);
        break;
    }
    if (!launch.error.empty()) {
      error = launch.error + "\n" + server->LogText();
      return nullptr;
    }
    server->pid_ = Spawn(launch.argv, (conf / "server.log").string());
    if (server->pid_ <= 0) {
      error = "cannot start " + program;
      return nullptr;
    }
    for (int i = 0; i < 100; ++i) {
      int status = 0;
      if (waitpid(server->pid_, &status, WNOHANG) == server->pid_) {
        server->pid_ = 0;
        break;
      }
      if (Greets(info.host, info.port)) return server;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    error = std::string(FtpServerName(kind)) + " did not come up on port " +
            std::to_string(info.port) + ":\n" + server->LogText();
  }
  return nullptr;
}

void FtpServer::Stop() {
  if (pid_ > 0) KillGroup(pid_);
  pid_ = 0;
  if (!work_dir_.empty()) {
    std::error_code ec;
    fs::remove_all(work_dir_, ec);
    work_dir_.clear();
  }
}

bool ServeFtpServerUntilReleased(FtpServerKind kind, const std::string& program, bool ipv6,
                                 const std::string& info_file, int max_seconds,
                                 std::string& error) {
  const std::unique_ptr<FtpServer> server = FtpServer::Start(kind, program, ipv6, error);
  if (!server) return false;
  const std::string partial = info_file + ".part";
  WriteFile(partial, FormatFtpServerInfo(server->Info()) + "\n");
  fs::rename(partial, info_file);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(max_seconds);
  while (fs::exists(info_file) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return true;
}

#endif

}  // namespace ov::testing
