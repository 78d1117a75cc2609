#include "fuzz/loopback_feeder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstdio>

namespace ov::fuzzing {
namespace {

[[noreturn]] void Fail(const char* what) {
  std::perror(what);
  std::abort();
}

// Waits up to `ms` for `fd` to become readable; false on time-out.
bool WaitReadable(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, ms) > 0;
}

void SendAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n <= 0) return;  // the client closed early: what it read so far is the test
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

LoopbackFeeder::LoopbackFeeder() {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  if (listener_ < 0) Fail("feeder socket");
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) Fail("feeder bind");
  if (::listen(listener_, 16) != 0) Fail("feeder listen");
  socklen_t len = sizeof a;
  if (::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0) Fail("feeder name");
  port_ = ntohs(a.sin_port);
}

LoopbackFeeder::~LoopbackFeeder() {
  Finish();
  ::close(listener_);
}

void LoopbackFeeder::Serve(std::string bytes) {
  Finish();
  thread_ = std::thread([this, data = std::move(bytes)] { Run(data); });
}

void LoopbackFeeder::Finish() {
  if (thread_.joinable()) thread_.join();
}

void LoopbackFeeder::Run(const std::string& bytes) {
  if (!WaitReadable(listener_, 2000)) return;  // the client never connected
  const int fd = ::accept(listener_, nullptr, nullptr);
  if (fd < 0) return;
  SendAll(fd, bytes);
  ::shutdown(fd, SHUT_WR);
  char sink[4096];
  while (WaitReadable(fd, 1000) && ::recv(fd, sink, sizeof sink, 0) > 0) {
  }
  ::close(fd);
}

LoopbackFeeder& SharedFeeder() {
  static LoopbackFeeder feeder;
  return feeder;
}

}  // namespace ov::fuzzing
