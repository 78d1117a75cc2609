// A real nginx for HTTP tests, started on a free loopback port with a generated configuration.
//
// Everything it needs (configuration, logs, pid and temp files, the document root) lives in a
// temporary folder of its own under /tmp that is removed with the server. Files written into
// Root() are served at once. Natively nginx is a child process; in the Windows build under
// Wine it is started as a Unix program (see support/proxy_servers.h), and the folder is
// reached through Wine's Z: drive.
#pragma once

#include <memory>
#include <string>

namespace ov::testing {

class DaemonProcess;

class NginxServer {
 public:
  // Where the test finds the nginx program (a name natively, a Unix path under Wine).
  static std::string ProgramName();

  // Starts `nginx_path` in the foreground (daemon off, no master process) on 127.0.0.1 and
  // waits until it accepts connections. `extra_server_lines` go into the server block.
  // nullptr and a message in `error` on failure.
  static std::unique_ptr<NginxServer> Start(const std::string& nginx_path, std::string* error,
                                            const std::string& extra_server_lines = "");
  ~NginxServer();  // stops the server and removes its folder
  NginxServer(const NginxServer&) = delete;
  NginxServer& operator=(const NginxServer&) = delete;

  int Port() const;
  std::string PortText() const { return std::to_string(Port()); }
  // The document root as this process names it; "/name" in a URL is Root() + "/name".
  std::string Root() const { return Folder() + "/www"; }
  // The server's own temporary folder as this process names it.
  std::string Folder() const;
  // "http://127.0.0.1:<port>" + path
  std::string Url(const std::string& path) const;
  // Content of the access log, one line per request, in the format "$connection $request".
  std::string AccessLog() const;

 private:
  NginxServer() = default;

  std::string unix_folder_;  // the folder as nginx names it
  std::unique_ptr<DaemonProcess> daemon_;
};

}  // namespace ov::testing
