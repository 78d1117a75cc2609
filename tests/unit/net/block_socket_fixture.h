// Helpers for the blocking socket tests: a plain TCP socket over TBlockSocket, a recorder of
// status events, and a stopwatch.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "net/block_socket.h"

namespace ov {
inline void PrintTo(THookSocketReason reason, std::ostream* os) { *os << HookReasonName(reason); }
}  // namespace ov

namespace ov::testing {

// The blocking socket as a TCP stream socket, nothing more.
class TestTcpSocket : public TBlockSocket {
 public:
  std::int32_t GetSocketType() override { return ws::kSockStream; }
  std::int32_t GetSocketProtocol() override { return ws::kIpProtoTcp; }
};

using Event = std::pair<THookSocketReason, std::string>;

// Records every status event of the sockets it is attached to. The record is shared with the
// handler, so a socket may outlive the recorder (its destructor still fires HR_SocketClose).
class EventRecorder {
 public:
  void Attach(TBlockSocket& socket) {
    socket.OnStatus = [events = events_](TBlockSocket&, THookSocketReason reason,
                                         const std::string& value) {
      events->emplace_back(reason, value);
    };
  }
  const std::vector<Event>& All() const { return *events_; }
  std::vector<Event> Only(std::initializer_list<THookSocketReason> reasons) const {
    std::vector<Event> out;
    for (const Event& e : *events_) {
      for (THookSocketReason r : reasons) {
        if (e.first == r) out.push_back(e);
      }
    }
    return out;
  }
  int Count(THookSocketReason reason) const {
    int n = 0;
    for (const Event& e : *events_) n += e.first == reason ? 1 : 0;
    return n;
  }
  void Clear() { events_->clear(); }

 private:
  std::shared_ptr<std::vector<Event>> events_ = std::make_shared<std::vector<Event>>();
};

class Stopwatch {
 public:
  Stopwatch() : start_(std::chrono::steady_clock::now()) {}
  std::int64_t Ms() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start_)
        .count();
  }

 private:
  std::chrono::steady_clock::time_point start_;
};

// A loopback port that nobody listens on (bound a moment ago, then released).
inline std::string ClosedLoopbackPort() {
  TestTcpSocket probe;
  probe.Bind("127.0.0.1", "0");
  std::string port = std::to_string(probe.GetLocalSinPort());
  probe.CloseSocket();
  return port;
}

}  // namespace ov::testing
