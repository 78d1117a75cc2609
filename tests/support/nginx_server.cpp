#include "support/nginx_server.h"

#include <filesystem>
#include <random>
#include <sstream>

#include "support/proxy_servers.h"
#include "support/unix_files.h"

namespace ov::testing {
namespace {

std::string Config(const std::string& folder, const std::string& extra) {
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
    << "  server {\n    listen 127.0.0.1:{port};\n    root " << folder << "/www;\n"
    << extra << "\n  }\n}\n";
  return c.str();
}

}  // namespace

std::string NginxServer::ProgramName() {
#ifdef _WIN32
  return "/usr/sbin/nginx";  // checked by FindProgram as a path on Wine's Z: drive
#else
  return "nginx";
#endif
}

std::unique_ptr<NginxServer> NginxServer::Start(const std::string& nginx_path, std::string* error,
                                                const std::string& extra_server_lines) {
  std::random_device random;
  std::unique_ptr<NginxServer> server(new NginxServer());
  server->unix_folder_ =
      "/tmp/ov-nginx-" + std::to_string(random()) + "-" + std::to_string(random());
  std::error_code failed;
  std::filesystem::create_directories(server->Root(), failed);
  if (!failed) std::filesystem::create_directories(server->Folder() + "/tmp", failed);
  if (failed) {
    if (error != nullptr) *error = "cannot create " + server->Folder() + ": " + failed.message();
    return nullptr;
  }
  std::string unix_program = nginx_path;
#ifdef _WIN32
  if (unix_program.rfind("Z:", 0) == 0) unix_program.erase(0, 2);
#endif
  const std::string& folder = server->unix_folder_;
  server->daemon_ = DaemonProcess::Start(
      {unix_program, "-p", folder + "/", "-e", folder + "/error.log", "-c", "{config}"},
      Config(folder, extra_server_lines), error);
  if (server->daemon_ == nullptr) {
    if (error != nullptr)
      *error += "; nginx said: " + ReadWholeFile(server->Folder() + "/error.log");
    return nullptr;
  }
  return server;
}

NginxServer::~NginxServer() {
  daemon_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(Folder(), ignored);
}

int NginxServer::Port() const { return daemon_->Port(); }

std::string NginxServer::Folder() const { return LocalPath(unix_folder_); }

std::string NginxServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + PortText() + path;
}

std::string NginxServer::AccessLog() const { return ReadWholeFile(Folder() + "/access.log"); }

}  // namespace ov::testing
