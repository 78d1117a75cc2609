#include "support/nginx_server.h"

#include <fstream>
#include <sstream>

#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#endif

namespace ov::testing {

std::string NginxServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + PortText() + path;
}

std::string NginxServer::AccessLog() const {
  std::ifstream in(folder_ + "/access.log");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

#ifdef _WIN32

std::unique_ptr<NginxServer> NginxServer::Start(const std::string&, std::string* error,
                                                const std::string&) {
  if (error != nullptr) *error = "nginx is started only by the Linux test build";
  return nullptr;
}

NginxServer::~NginxServer() = default;

#else

namespace {

// A port that was free a moment ago: bind port 0, read it back, release it.
int PickFreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(fd);
  return port;
}

bool Accepts(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  ::close(fd);
  return ok;
}

std::string Config(const std::string& folder, int port, const std::string& extra) {
  std::ostringstream c;
  c << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
    << "pid " << folder << "/nginx.pid;\n"
    << "error_log " << folder << "/error.log warn;\n"
    << "events { worker_connections 64; }\n"
    << "http {\n"
    << "  log_format requests '$connection $request';\n"
    << "  access_log " << folder << "/access.log requests;\n"
    << "  client_body_temp_path " << folder << "/tmp/body;\n"
    << "  proxy_temp_path " << folder << "/tmp/proxy;\n"
    << "  fastcgi_temp_path " << folder << "/tmp/fastcgi;\n"
    << "  uwsgi_temp_path " << folder << "/tmp/uwsgi;\n"
    << "  scgi_temp_path " << folder << "/tmp/scgi;\n"
    << "  default_type application/octet-stream;\n"
    << "  sendfile on;\n  keepalive_timeout 60;\n"
    << "  server {\n    listen 127.0.0.1:" << port << ";\n    root " << folder << "/www;\n"
    << extra << "\n  }\n}\n";
  return c.str();
}

}  // namespace

std::unique_ptr<NginxServer> NginxServer::Start(const std::string& nginx_path, std::string* error,
                                                const std::string& extra_server_lines) {
  auto fail = [error](const std::string& text) {
    if (error != nullptr) *error = text;
    return nullptr;
  };
  std::string pattern = (std::filesystem::temp_directory_path() / "ov-nginx-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return fail("cannot create a temporary folder");
  std::unique_ptr<NginxServer> server(new NginxServer());
  server->folder_ = pattern;
  std::filesystem::create_directories(server->folder_ + "/www");
  std::filesystem::create_directories(server->folder_ + "/tmp");

  // A port can be taken between picking and binding it; a few attempts cover that race.
  for (int attempt = 0; attempt < 5; ++attempt) {
    server->port_ = PickFreePort();
    const std::string conf = server->folder_ + "/nginx.conf";
    std::ofstream(conf) << Config(server->folder_, server->port_, extra_server_lines);
    const pid_t pid = ::fork();
    if (pid < 0) return fail("fork failed");
    if (pid == 0) {
      const std::string prefix = server->folder_ + "/";
      const std::string error_log = server->folder_ + "/error.log";
      ::execl(nginx_path.c_str(), nginx_path.c_str(), "-p", prefix.c_str(), "-e",
              error_log.c_str(), "-c", conf.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    server->pid_ = pid;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
      int status = 0;
      if (::waitpid(pid, &status, WNOHANG) == pid) {
        server->pid_ = -1;
        break;
      }
      if (Accepts(server->port_)) return server;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (server->pid_ > 0) return fail("nginx did not start listening within 10 s");
  }
  std::ifstream log(server->folder_ + "/error.log");
  std::stringstream text;
  text << log.rdbuf();
  return fail("nginx exited at start: " + text.str());
}

NginxServer::~NginxServer() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

#endif

}  // namespace ov::testing
