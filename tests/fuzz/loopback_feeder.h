// A loopback peer for fuzz targets: listens on 127.0.0.1 on a free port and, for each Serve call,
// accepts one connection on a thread of its own, writes the given bytes, shuts its sending side
// and drains what the client sends until the client closes (or a second passes). The client code
// under test then reads the fuzzer's bytes through the real socket path.
#pragma once

#include <string>
#include <thread>

namespace ov::fuzzing {

class LoopbackFeeder {
 public:
  LoopbackFeeder();
  ~LoopbackFeeder();
  LoopbackFeeder(const LoopbackFeeder&) = delete;
  LoopbackFeeder& operator=(const LoopbackFeeder&) = delete;

  std::string PortText() const { return std::to_string(port_); }
  // Starts serving `bytes` to the next connection; Finish waits for that connection to end.
  void Serve(std::string bytes);
  void Finish();

 private:
  void Run(const std::string& bytes);
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

// One feeder for the whole fuzzing process.
LoopbackFeeder& SharedFeeder();

}  // namespace ov::fuzzing
