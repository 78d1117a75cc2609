// A minimal loopback HTTP server for benchmarks: "GET /<bytes>" answers with that many bytes
// and a Content-Length, one request per connection. Runs on its own thread until destroyed.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

namespace ov::netbench {

class BodyServer {
 public:
  BodyServer();  // listens on 127.0.0.1 at a free port
  ~BodyServer();
  BodyServer(const BodyServer&) = delete;
  BodyServer& operator=(const BodyServer&) = delete;
  int Port() const { return port_; }

 private:
  void Run();
  void Serve(int client);

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace ov::netbench
