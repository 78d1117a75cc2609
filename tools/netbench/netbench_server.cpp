#include "tools/netbench/netbench_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace ov::netbench {

BodyServer::BodyServer() {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  ::listen(listener_, 16);
  socklen_t len = sizeof addr;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  thread_ = std::thread([this] { Run(); });
}

BodyServer::~BodyServer() {
  stop_ = true;
  thread_.join();
  ::close(listener_);
}

void BodyServer::Run() {
  while (!stop_) {
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    const int client = ::accept(listener_, nullptr, nullptr);
    if (client < 0) continue;
    Serve(client);
    ::close(client);
  }
}

void BodyServer::Serve(int client) {
  std::string head;
  char c[4096];
  while (head.find("\r\n\r\n") == std::string::npos) {
    const ssize_t r = ::recv(client, c, sizeof c, 0);
    if (r <= 0) return;
    head.append(c, static_cast<std::size_t>(r));
  }
  const std::size_t slash = head.find('/');
  long long size = std::strtoll(head.c_str() + slash + 1, nullptr, 10);
  const std::string answer = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) +
                             "\r\nConnection: close\r\n\r\n";
  if (::send(client, answer.data(), answer.size(), MSG_NOSIGNAL) < 0) return;
  static const std::vector<char> block(1 << 20, 'x');
  while (size > 0) {
    const std::size_t piece = static_cast<std::size_t>(std::min<long long>(size, 1 << 20));
    const ssize_t w = ::send(client, block.data(), piece, MSG_NOSIGNAL);
    if (w <= 0) return;
    size -= w;
  }
}

}  // namespace ov::netbench
