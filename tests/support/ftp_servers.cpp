#include "support/ftp_servers.h"

#include "support/raw_socket.h"
#include "support/unix_files.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

#ifdef _WIN32
// A Unix path written the Windows way, for what tests see of the server under Wine.
std::string WindowsPath(std::string unix_path) {
  for (char& c : unix_path) c = c == '/' ? '\\' : c;
  return "Z:" + unix_path;
}
#endif

std::string UnixParent(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool UnixFileExists(const std::string& unix_path) {
  std::error_code ec;
  return !unix_path.empty() && fs::is_regular_file(LocalPath(unix_path), ec);
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

struct Account {
  bool found = false;
  long uid = 65534;
  long gid = 65534;
  std::string home;
};

// The system's account `name` (the Unix password file, read directly under Wine).
Account LookupAccount(const std::string& name) {
  Account account;
#ifdef _WIN32
  std::istringstream lines(ReadWholeFile(LocalPath("/etc/passwd")));
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> fields;
    std::istringstream parts(line);
    for (std::string field; std::getline(parts, field, ':');) fields.push_back(field);
    if (fields.size() < 6 || fields[0] != name) continue;
    account.found = true;
    account.uid = std::strtol(fields[2].c_str(), nullptr, 10);
    account.gid = std::strtol(fields[3].c_str(), nullptr, 10);
    account.home = fields[5];
    break;
  }
#else
  if (const passwd* pw = getpwnam(name.c_str())) {
    account.found = true;
    account.uid = static_cast<long>(pw->pw_uid);
    account.gid = static_cast<long>(pw->pw_gid);
    account.home = pw->pw_dir ? pw->pw_dir : "";
  }
#endif
  return account;
}

std::string AnonymousHome() {
  const Account ftp = LookupAccount("ftp");
  return ftp.found && !ftp.home.empty() ? ftp.home : "/srv/ftp";
}

// ---- loopback sockets, the same in both builds ----

using namespace rawnet;

SockLen LoopbackAddress(bool ipv6, int port, sockaddr_storage& addr) {
  addr = {};
  if (ipv6) {
    auto* a6 = reinterpret_cast<sockaddr_in6*>(&addr);
    a6->sin6_family = AF_INET6;
    a6->sin6_port = htons(static_cast<std::uint16_t>(port));
    a6->sin6_addr = in6addr_loopback;
    return sizeof(sockaddr_in6);
  }
  auto* a4 = reinterpret_cast<sockaddr_in*>(&addr);
  a4->sin_family = AF_INET;
  a4->sin_port = htons(static_cast<std::uint16_t>(port));
  a4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return sizeof(sockaddr_in);
}

// A port nobody listens on now (the kernel's choice for port 0).
int FreePort(bool ipv6) {
  [[maybe_unused]] NetUser net;
  const RawSocket fd = socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
  if (fd == kInvalid) return 0;
  sockaddr_storage addr;
  SockLen len = LoopbackAddress(ipv6, 0, addr);
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
    port = ntohs(ipv6 ? reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port
                      : reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
  }
  CloseRaw(fd);
  return port;
}

// True once the server on loopback answers with its "220" greeting.
bool Greets(const std::string& host, int port) {
  [[maybe_unused]] NetUser net;
  const bool ipv6 = host.find(':') != std::string::npos;
  const RawSocket fd = socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
  if (fd == kInvalid) return false;
  sockaddr_storage addr;
  const SockLen len = LoopbackAddress(ipv6, port, addr);
  std::string got;
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (got.size() < 3 && std::chrono::steady_clock::now() < deadline) {
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(fd, &readable);
      timeval wait{0, 200000};
      if (select(static_cast<int>(fd) + 1, &readable, nullptr, nullptr, &wait) != 1) continue;
      char buf[3];
      const int n = static_cast<int>(recv(fd, buf, static_cast<int>(3 - got.size()), 0));
      if (n <= 0) break;
      got.append(buf, static_cast<std::size_t>(n));
    }
  }
  CloseRaw(fd);
  return got == "220";
}

// ---- the servers' configurations (paths in them are Unix paths) ----

// How to start a server: `setup` commands to run first (each must succeed), files to make
// readable by their owner only, then the server itself in `argv`.
struct Launch {
  std::vector<std::vector<std::string>> setup;
  std::vector<std::string> private_files;
  std::vector<std::string> argv;
  std::string error;  // set when preparing failed
};

// `command` in a mount namespace of its own, where `from` is bound over `onto`: the server
// alone sees the change.
std::vector<std::string> WithPrivateBindMount(const std::string& from, const std::string& onto,
                                              const std::vector<std::string>& command) {
  std::vector<std::string> argv = {"/usr/bin/unshare",
                                   "-m",
                                   "--",
                                   "/bin/sh",
                                   "-c",
                                   "mount --bind \"$1\" \"$2\" && shift 2 && exec \"$@\"",
                                   "sh",
                                   from,
                                   onto};
  argv.insert(argv.end(), command.begin(), command.end());
  return argv;
}

Launch PrepareVsftpd(const std::string& program, const FtpServerInfo& info, bool ipv6,
                     const std::string& conf) {
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
  WriteFile(LocalPath(conf + "/vsftpd.conf"), c.str());
  // Local users log on through PAM; the system's ftp rules also demand a login shell, which
  // the test account has not. A private mount shows vsftpd a plain password check instead.
  WriteFile(LocalPath(conf + "/pam"),
            "auth required pam_unix.so\naccount required pam_unix.so\n"
            "session required pam_permit.so\n");
  Launch launch;
  launch.argv =
      WithPrivateBindMount(conf + "/pam", "/etc/pam.d/vsftpd", {program, conf + "/vsftpd.conf"});
  return launch;
}

// pure-pw from the same package as `program`, else the system's.
std::string PurePwProgram(const std::string& program) {
  const std::string beside = UnixParent(UnixParent(program)) + "/bin/pure-pw";
  if (UnixFileExists(beside)) return beside;
#ifdef _WIN32
  return UnixFileExists("/usr/bin/pure-pw") ? "/usr/bin/pure-pw" : "";
#else
  return FindProgram("pure-pw");
#endif
}

Launch PurePwMissing() {
  Launch launch;
  launch.error = "pure-pw could not build the user database";
  return launch;
}

Launch PreparePureFtpd(const std::string& program, const FtpServerInfo& info,
                       const std::string& conf, const Account& account) {
  std::ostringstream line;
  line << kUser << ':' << kPasswordHash << ':' << account.uid << ':' << account.gid
       << "::" << info.root << "/./::::::::::::\n";
  WriteFile(LocalPath(conf + "/pureftpd.passwd"), line.str());
  const std::string pure_pw = PurePwProgram(program);
  if (pure_pw.empty()) return PurePwMissing();
  Launch launch;
  launch.setup.push_back(
      {pure_pw, "mkdb", conf + "/pureftpd.pdb", "-f", conf + "/pureftpd.passwd"});
  // Anonymous users always land in the ftp account's home: a private mount puts the test
  // root there for this server alone.
  launch.argv = WithPrivateBindMount(
      info.root, AnonymousHome(),
      {program, "-S", info.host + "," + std::to_string(info.port), "-p",
       std::to_string(info.passive_low) + ":" + std::to_string(info.passive_high), "-l",
       "puredb:" + conf + "/pureftpd.pdb", "-u", "1", "-A", "-H", "-g", conf + "/pure-ftpd.pid"});
  return launch;
}

Launch PrepareProFtpd(const std::string& program, const FtpServerInfo& info, bool ipv6,
                      const std::string& conf, const Account& account) {
  WriteFile(LocalPath(conf + "/passwd"),
            std::string(kUser) + ":" + kPasswordHash + ":" + std::to_string(account.uid) + ":" +
                std::to_string(account.gid) + "::" + info.root + ":/bin/sh\n");
  WriteFile(LocalPath(conf + "/group"),
            std::string(kUser) + ":x:" + std::to_string(account.gid) + ":\n");
  const std::string modules = UnixParent(UnixParent(program)) + "/lib/proftpd";
  std::ostringstream c;
  c << "ServerName \"ov test\"\nServerType standalone\nDefaultServer on\n"
    << "Port " << info.port << "\nDefaultAddress " << info.host << "\nUseIPv6 "
    << (ipv6 ? "on" : "off") << "\nSocketBindTight on\n"
    << "User nobody\nGroup nogroup\nUmask 022\n"
    << "ScoreboardFile " << conf << "/scoreboard\n"
    << "PidFile " << conf << "/proftpd.pid\n"
    << "DelayTable " << conf << "/delay\n"
    << "ModulePath " << modules << "\n"
    << "WtmpLog off\nTransferLog none\nUseReverseDNS off\n"
    << "<IfModule mod_ctrls.c>\n  ControlsEngine off\n</IfModule>\n"
    << "<IfModule mod_cap.c>\n  CapabilitiesEngine off\n</IfModule>\n"
    << "<IfModule mod_delay.c>\n  DelayEngine off\n</IfModule>\n"
    << "AuthOrder mod_auth_file.c mod_auth_unix.c\n"
    << "AuthUserFile " << conf << "/passwd\n"
    << "AuthGroupFile " << conf << "/group\n"
    << "AuthPAM off\nRequireValidShell off\nDefaultRoot ~\nAllowOverwrite on\n"
    // APPE and REST before STOR, as the other servers allow them.
    << "AllowStoreRestart on\n"
    << "PassivePorts " << info.passive_low << ' ' << info.passive_high << "\n"
    << "<Anonymous " << info.root << ">\n  User ftp\n  Group nogroup\n"
    << "  UserAlias anonymous ftp\n  RequireValidShell off\n"
    << "  <Limit WRITE>\n    DenyAll\n  </Limit>\n</Anonymous>\n";
  WriteFile(LocalPath(conf + "/proftpd.conf"), c.str());
  Launch launch;
  // proftpd refuses password files that others can read.
  launch.private_files = {conf + "/passwd", conf + "/group"};
  launch.argv = {program, "-n", "-c", conf + "/proftpd.conf"};
  return launch;
}

Launch Prepare(FtpServerKind kind, const std::string& program, const FtpServerInfo& info,
               bool ipv6, const std::string& conf, const Account& account) {
  switch (kind) {
    case FtpServerKind::Vsftpd:
      return PrepareVsftpd(program, info, ipv6, conf);
    case FtpServerKind::PureFtpd:
      return PreparePureFtpd(program, info, conf, account);
    case FtpServerKind::ProFtpd:
      break;
  }
  return PrepareProFtpd(program, info, ipv6, conf, account);
}

}  // namespace

namespace {

// What names a server of each kind: its program, its Debian package and the environment
// variable that hands a running one over.
struct FtpServerNames {
  const char* program;
  const char* package;
  const char* env;
};

const FtpServerNames& NamesOf(FtpServerKind kind) {
  static const FtpServerNames kVsftpd{"vsftpd", "vsftpd", "OV_FTP_VSFTPD"};
  static const FtpServerNames kPureFtpd{"pure-ftpd", "pure-ftpd", "OV_FTP_PUREFTPD"};
  static const FtpServerNames kProFtpd{"proftpd", "proftpd-core", "OV_FTP_PROFTPD"};
  static const FtpServerNames kNone{"", "", ""};
  switch (kind) {
    case FtpServerKind::Vsftpd:
      return kVsftpd;
    case FtpServerKind::PureFtpd:
      return kPureFtpd;
    case FtpServerKind::ProFtpd:
      return kProFtpd;
  }
  return kNone;
}

}  // namespace

const char* FtpServerProgram(FtpServerKind kind) { return NamesOf(kind).program; }

const char* FtpServerPackage(FtpServerKind kind) { return NamesOf(kind).package; }

const char* FtpServerName(FtpServerKind kind) { return FtpServerProgram(kind); }

std::string FtpServerTestName(const ::testing::TestParamInfo<FtpServerKind>& info) {
  std::string name = FtpServerName(info.param);
  std::erase(name, '-');
  return name;
}

std::string FindFtpServerProgram(FtpServerKind kind) {
  const std::string name = FtpServerProgram(kind);
#ifdef _WIN32
  // The same places as natively, as Unix paths: the project's unpacked packages, the system.
  for (const std::string& candidate :
       {SourceDir() + "/.deps/root/usr/sbin/" + name, "/usr/sbin/" + name, "/usr/bin/" + name}) {
    if (candidate.front() == '/' && UnixFileExists(candidate)) return candidate;
  }
  return "";
#else
  return FindProgram(name);
#endif
}

std::string FtpServerEnvName(FtpServerKind kind) { return NamesOf(kind).env; }

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

// ---- the server's process ----

#ifdef _WIN32

// The server runs under a Unix shell (Wine starts Unix programs too) that ends the server's
// process group once the run flag is gone, then leaves a "stopped" mark.
class ServerProcess {
 public:
  static std::unique_ptr<ServerProcess> Begin(const Launch& launch, const std::string& conf,
                                              const std::string& root, const Account& account,
                                              std::string& error) {
    std::unique_ptr<ServerProcess> process(new ServerProcess(conf));
    WriteFile(LocalPath(conf + "/run"), "");
    WriteFile(LocalPath(conf + "/run.sh"), Script(launch, conf, root, account));
    std::wstring line = L"Z:\\bin\\sh ";
    for (char c : conf + "/run.sh") line += static_cast<wchar_t>(c);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
      error = "cannot start /bin/sh through Wine";
      std::remove(LocalPath(conf + "/run").c_str());
      return nullptr;
    }
    CloseHandle(started.hThread);
    process->handle_ = started.hProcess;
    return process;
  }

  ~ServerProcess() {
    std::remove(LocalPath(conf_ + "/run").c_str());
    // The shell looks at the flag five times a second and then ends the server's group.
    for (int i = 0; i < 100 && !Exited(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (handle_) CloseHandle(handle_);
  }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  bool Exited() const {
    std::error_code ec;
    return fs::exists(LocalPath(conf_ + "/stopped"), ec);
  }

 private:
  explicit ServerProcess(std::string conf) : conf_(std::move(conf)) {}

  static std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
  }

  static std::string Command(const std::vector<std::string>& argv) {
    std::string line;
    for (const std::string& arg : argv) line += Quote(arg) + " ";
    return line;
  }

  // The server leads a process group of its own (setsid), so that its connection handlers
  // end with it. The shell gives up after ten minutes at the latest, should the test die
  // without removing the flag (its Wine parent is no reliable sign of that).
  static std::string Script(const Launch& launch, const std::string& conf,
                            const std::string& root, const Account& account) {
    const std::string log = Quote(conf + "/server.log");
    const std::string stopped = "touch " + Quote(conf + "/stopped");
    std::ostringstream s;
    // Nothing of the shell's own on the test's output (such as its note on killed jobs).
    s << "exec >/dev/null 2>&1\nPATH=/usr/sbin:/usr/bin:/sbin:/bin; export PATH\ncd /\n"
      << "chmod 755 " << Quote(UnixParent(conf)) << ' ' << Quote(conf) << ' ' << Quote(root)
      << "\nchown " << account.uid << ':' << account.gid << ' ' << Quote(root) << "\n";
    for (const std::string& file : launch.private_files) s << "chmod 600 " << Quote(file) << "\n";
    for (const std::vector<std::string>& command : launch.setup) {
      s << Command(command) << ">>" << log << " 2>&1 || { " << stopped << "; exit 1; }\n";
    }
    s << "setsid " << Command(launch.argv) << "</dev/null >>" << log << " 2>&1 &\n"
      << "p=$!; i=0\n"
      << "while [ -e " << Quote(conf + "/run") << " ] && [ $i -lt 3000 ] && kill -0 $p "
      << "2>/dev/null; do sleep 0.2; i=$((i+1)); done\n"
      << "kill -TERM -$p 2>/dev/null; sleep 0.3; kill -KILL -$p 2>/dev/null; wait $p\n"
      << stopped << "\n";
    return s.str();
  }

  std::string conf_;
  HANDLE handle_ = nullptr;
};

namespace {

// A fresh folder under /tmp with root/ and conf/; its Unix path.
std::string MakeWorkDir(std::string& error) {
  std::random_device random;
  const std::string dir =
      "/tmp/ov-ftp-" + std::to_string(random()) + "-" + std::to_string(random());
  std::error_code ec;
  fs::create_directories(LocalPath(dir + "/root"), ec);
  if (!ec) fs::create_directories(LocalPath(dir + "/conf"), ec);
  if (ec) {
    error = "cannot create " + dir + ": " + ec.message();
    return "";
  }
  return dir;
}

}  // namespace

#else

namespace {

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

}  // namespace

// The server as a child process leading its own process group.
class ServerProcess {
 public:
  static std::unique_ptr<ServerProcess> Begin(const Launch& launch, const std::string& conf,
                                              const std::string&, const Account&,
                                              std::string& error) {
    const std::string log = conf + "/server.log";
    for (const std::string& file : launch.private_files) chmod(file.c_str(), 0600);
    for (const std::vector<std::string>& command : launch.setup) {
      if (!RunToEnd(command, log)) {
        error = command.front() + " failed";
        return nullptr;
      }
    }
    std::unique_ptr<ServerProcess> process(new ServerProcess());
    process->pid_ = Spawn(launch.argv, log);
    if (process->pid_ <= 0) {
      error = "cannot start " + launch.argv.front();
      return nullptr;
    }
    return process;
  }

  ~ServerProcess() {
    if (pid_ > 0) KillGroup(pid_);
  }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  bool Exited() {
    int status = 0;
    if (pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_) pid_ = 0;
    return pid_ <= 0;
  }

 private:
  ServerProcess() = default;
  pid_t pid_ = 0;
};

namespace {

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
  const Account account = LookupAccount(kUser);
  if (chown((dir / "root").c_str(), static_cast<uid_t>(account.uid),
            static_cast<gid_t>(account.gid)) != 0) {
    // Not root: the servers would not start anyway; they report that themselves.
  }
  return templ;
}

}  // namespace

#endif

// ---- the server ----

FtpServer::FtpServer() = default;

FtpServer::~FtpServer() { Stop(); }

std::string FtpServer::Url(std::string_view path, bool as_user) const {
  std::string url = "ftp://";
  if (as_user) url += info_.user + ":" + info_.password + "@";
  url += info_.host.find(':') != std::string::npos ? "[" + info_.host + "]" : info_.host;
  url += ":" + std::to_string(info_.port) + "/";
  while (!path.empty() && path.front() == '/') path.remove_prefix(1);
  return url + std::string(path);
}

std::string FtpServer::LogText() const {
  return work_dir_.empty() ? std::string()
                           : ReadWholeFile(LocalPath(work_dir_ + "/conf/server.log"));
}

std::unique_ptr<FtpServer> FtpServer::Start(FtpServerKind kind, const std::string& program,
                                            bool ipv6, std::string& error) {
  std::unique_ptr<FtpServer> server(new FtpServer());
  server->kind_ = kind;
  if (ParseFtpServerInfo(EnvText(FtpServerEnvName(kind)), server->info_)) {
#ifdef _WIN32
    // The native side names a Linux folder.
    if (server->info_.root.front() == '/') server->info_.root = WindowsPath(server->info_.root);
#endif
    return server;
  }
  const Account account = LookupAccount(kUser);
  if (!account.found) {
    error = std::string("the test account ") + kUser + " is missing: run scripts/setup as root";
    return nullptr;
  }
  // A free port may be taken between our look and the server's bind: try a few times.
  for (int attempt = 0; attempt < 3; ++attempt) {
    server->Stop();
    server->work_dir_ = MakeWorkDir(error);
    if (server->work_dir_.empty()) return nullptr;
    const std::string conf = server->work_dir_ + "/conf";
    FtpServerInfo& info = server->info_;
    info.host = ipv6 ? "::1" : "127.0.0.1";
    info.port = FreePort(ipv6);
    info.user = kUser;
    info.password = kPassword;
    info.root = server->work_dir_ + "/root";
    // Passive ports below the kernel's ephemeral range, spread by the control port.
    info.passive_low = 20000 + (info.port % 199) * 50;
    info.passive_high = info.passive_low + 49;
    const Launch launch = Prepare(kind, program, info, ipv6, conf, account);
    if (!launch.error.empty()) {
      error = launch.error + "\n" + server->LogText();
      return nullptr;
    }
    server->process_ = ServerProcess::Begin(launch, conf, info.root, account, error);
    if (!server->process_) {
      error += "\n" + server->LogText();
      return nullptr;
    }
    for (int i = 0; i < 200 && !server->process_->Exited(); ++i) {
      if (Greets(info.host, info.port)) {
#ifdef _WIN32
        info.root = WindowsPath(info.root);
#endif
        return server;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    error = std::string(FtpServerName(kind)) + " did not come up on port " +
            std::to_string(info.port) + ":\n" + server->LogText();
  }
  return nullptr;
}

void FtpServer::Stop() {
  process_.reset();
  if (!work_dir_.empty()) {
    std::error_code ec;
    fs::remove_all(LocalPath(work_dir_), ec);
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

}  // namespace ov::testing
