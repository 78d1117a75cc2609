// Real proxy servers for tests: a SOCKS 5 server (microsocks) and an HTTP proxy with CONNECT
// (tinyproxy), each started on a free loopback port and stopped when the object goes away.
//
// Natively the daemon is a child process. In the Windows build running under Wine the daemon
// is started through Wine's support for Unix programs, inside a small shell that ends it when
// the test removes its run-flag file (or after ten minutes at the latest).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace ov::testing {

// Where the test binary finds the Debian programs: a bare name natively (looked up by
// FindProgram), an absolute Unix path under Wine.
std::string ProxyProgramName(const std::string& name);

class TempFile;

class DaemonProcess {
 public:
  // Starts `argv` (argv[0] the program path) with every "{port}" replaced by a free loopback
  // port, and waits until that port accepts connections. A non-empty `config` (with "{port}"
  // replaced too) is written to a temporary file that lives as long as the daemon; an argument
  // "{config}" stands for its path. Tries a few ports; null with a reason in `error` when the
  // daemon never listens.
  static std::unique_ptr<DaemonProcess> Start(const std::vector<std::string>& argv,
                                              const std::string& config, std::string* error);
  ~DaemonProcess();  // stops the daemon and waits for it
  DaemonProcess(const DaemonProcess&) = delete;
  DaemonProcess& operator=(const DaemonProcess&) = delete;

  int Port() const { return port_; }
  std::string PortText() const { return std::to_string(port_); }

  struct Impl;

 private:
  DaemonProcess();
  int port_ = 0;
  std::unique_ptr<TempFile> config_;
  std::unique_ptr<Impl> impl_;
};

// microsocks on 127.0.0.1, with user name and password when `user` is not empty.
std::unique_ptr<DaemonProcess> StartSocks5Server(const std::string& program,
                                                 const std::string& user,
                                                 const std::string& password, std::string* error);

// tinyproxy on 127.0.0.1 accepting requests from 127.0.0.1, allowing CONNECT to `connect_port`
// only; its configuration file lives as long as the returned object.
std::unique_ptr<DaemonProcess> StartTunnelProxy(const std::string& program, int connect_port,
                                                std::string* error);

}  // namespace ov::testing
