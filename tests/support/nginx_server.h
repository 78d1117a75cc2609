// A real nginx for HTTP tests, started on a free loopback port with a generated configuration.
//
// Everything it needs (configuration, logs, pid and temp files, the document root) lives in a
// temporary folder of its own that is removed with the server. Files written into Root() are
// served at once. Linux only: elsewhere Start() fails with an explanation.
#pragma once

#include <memory>
#include <string>

namespace ov::testing {

class NginxServer {
 public:
  // Starts `nginx_path` in the foreground (daemon off, no master process) on 127.0.0.1 and
  // waits until it accepts connections. `extra_server_lines` go into the server block.
  // nullptr and a message in `error` on failure.
  static std::unique_ptr<NginxServer> Start(const std::string& nginx_path, std::string* error,
                                            const std::string& extra_server_lines = "");
  ~NginxServer();  // stops the server and removes its folder
  NginxServer(const NginxServer&) = delete;
  NginxServer& operator=(const NginxServer&) = delete;

  int Port() const { return port_; }
  std::string PortText() const { return std::to_string(port_); }
  // The document root; "/name" in a URL is Root() + "/name".
  std::string Root() const { return folder_ + "/www"; }
  // The server's own temporary folder (for large generated files beside the root, etc.).
  const std::string& Folder() const { return folder_; }
  // "http://127.0.0.1:<port>" + path
  std::string Url(const std::string& path) const;
  // Content of the access log, one line per request, in the format "$connection $request".
  std::string AccessLog() const;

 private:
  NginxServer() = default;

  std::string folder_;
  int port_ = 0;
  int pid_ = -1;
};

}  // namespace ov::testing
