#include "support/proxy_servers.h"

#include "support/raw_socket.h"
#include "support/unix_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/wait.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <thread>

namespace ov::testing {
namespace {

using namespace rawnet;
using Clock = std::chrono::steady_clock;

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// A port that was free a moment ago (bound to port 0, then released).
int PickFreePort() {
  [[maybe_unused]] NetUser net;
  RawSocket s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == kInvalid) return 0;
  sockaddr_in address = Loopback(0);
  int port = 0;
  SockLen length = sizeof address;
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  CloseRaw(s);
  return port;
}

bool PortAccepts(int port) {
  [[maybe_unused]] NetUser net;
  RawSocket s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == kInvalid) return false;
  sockaddr_in address = Loopback(port);
  const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  CloseRaw(s);
  return ok;
}

std::string UniqueName(const std::string& stem) {
  std::random_device device;
  return stem + "-" + std::to_string(device()) + std::to_string(device());
}

std::string ReplacePort(std::string text, int port) {
  const std::string marker = "{port}";
  for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker)) {
    text.replace(at, marker.size(), std::to_string(port));
  }
  return text;
}

}  // namespace

// A file that exists for the lifetime of the owner, named by its Unix path so that a daemon
// started through Wine can be given it too.
class TempFile {
 public:
  TempFile(const std::string& stem, const std::string& content)
      : unix_path_("/tmp/" + UniqueName(stem)) {
    std::ofstream out(LocalPath(), std::ios::binary);
    out << content;
  }
  ~TempFile() { std::remove(LocalPath().c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& UnixPath() const { return unix_path_; }

 private:
  std::string LocalPath() const { return ::ov::testing::LocalPath(unix_path_); }
  std::string unix_path_;
};

std::string ProxyProgramName(const std::string& name) {
#ifdef _WIN32
  return "/usr/bin/" + name;  // checked by FindProgram as a path on Wine's Z: drive
#else
  return name;
#endif
}

#ifdef _WIN32

struct DaemonProcess::Impl {
  std::unique_ptr<TempFile> run_flag;
  HANDLE process = nullptr;

  static std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
  }

  // The daemon runs under a Unix shell that ends it once the run flag is gone.
  bool Launch(const std::vector<std::string>& argv) {
    run_flag = std::make_unique<TempFile>("ov-daemon-run", "");
    std::string command;
    for (const std::string& arg : argv) command += Quote(arg) + " ";
    const std::string script = command + ">/dev/null 2>&1 & p=$!; i=0; while [ -e " +
                               Quote(run_flag->UnixPath()) +
                               " ] && [ $i -lt 3000 ] && kill -0 $p 2>/dev/null; do sleep 0.2; "
                               "i=$((i+1)); done; kill $p 2>/dev/null";
    std::string line = "Z:\\bin\\sh -c \"" + script + "\"";
    std::wstring wide(line.begin(), line.end());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
      return false;
    }
    CloseHandle(info.hThread);
    process = info.hProcess;
    return true;
  }
  bool Alive() const { return true; }  // a Unix child's state is not visible from here
  void Stop() {
    run_flag.reset();
    if (process) CloseHandle(process);
    process = nullptr;
    // The shell polls the flag five times a second; give it the time to end the daemon, so
    // that a following test can reuse the port.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
  }
};

#else

struct DaemonProcess::Impl {
  pid_t pid = -1;

  bool Launch(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
      const int null = ::open("/dev/null", O_RDWR);
      ::dup2(null, 0);
      ::dup2(null, 1);
      ::dup2(null, 2);
      ::execv(args[0], args.data());
      ::_exit(127);
    }
    return true;
  }
  bool Alive() const {
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, WNOHANG) == 0;
  }
  void Stop() {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
      if (Clock::now() > deadline) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid = -1;
  }
};

#endif

DaemonProcess::DaemonProcess() : impl_(std::make_unique<Impl>()) {}

DaemonProcess::~DaemonProcess() { impl_->Stop(); }

std::unique_ptr<DaemonProcess> DaemonProcess::Start(const std::vector<std::string>& argv,
                                                    const std::string& config, std::string* error) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    const int port = PickFreePort();
    if (port == 0) continue;
    std::unique_ptr<DaemonProcess> daemon(new DaemonProcess());
    daemon->port_ = port;
    if (!config.empty()) {
      daemon->config_ = std::make_unique<TempFile>("ov-daemon.conf", ReplacePort(config, port));
    }
    std::vector<std::string> args;
    for (const std::string& arg : argv) {
      std::string value = ReplacePort(arg, port);
      if (value == "{config}" && daemon->config_) value = daemon->config_->UnixPath();
      args.push_back(value);
    }
    if (!daemon->impl_->Launch(args)) {
      if (error) *error = "cannot start " + args[0];
      return nullptr;
    }
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline && daemon->impl_->Alive()) {
      if (PortAccepts(port)) return daemon;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // Taken by someone else meanwhile, or too slow: try another port.
  }
  if (error) *error = argv.front() + " never listened on its loopback port";
  return nullptr;
}

std::unique_ptr<DaemonProcess> StartSocks5Server(const std::string& program,
                                                 const std::string& user,
                                                 const std::string& password, std::string* error) {
  std::vector<std::string> argv = {program, "-i", "127.0.0.1", "-p", "{port}"};
  if (!user.empty()) argv.insert(argv.end(), {"-u", user, "-P", password});
  return DaemonProcess::Start(argv, "", error);
}

std::unique_ptr<DaemonProcess> StartTunnelProxy(const std::string& program, int connect_port,
                                                std::string* error) {
  const std::string config =
      "Port {port}\nListen 127.0.0.1\nTimeout 30\nAllow 127.0.0.1\nConnectPort " +
      std::to_string(connect_port) + "\nMaxClients 20\nLogLevel Error\n";
  return DaemonProcess::Start({program, "-d", "-c", "{config}"}, config, error);
}

}  // namespace ov::testing
