#include "support/fault_server.h"

#include "support/raw_socket.h"

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <utility>

namespace ov::testing {
namespace {

using namespace rawnet;

// Waits up to `ms` for `s` to be readable; false on time-out or when `stop` is set.
bool WaitReadable(RawSocket s, int ms, const std::atomic<bool>& stop) {
  for (int waited = 0; waited < ms && !stop; waited += 50) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{0, 50 * 1000};
    if (::select(static_cast<int>(s) + 1, &set, nullptr, nullptr, &tv) > 0) return true;
  }
  return false;
}

bool SendAll(RawSocket s, std::string_view bytes) {
  while (!bytes.empty()) {
    const int n = ::send(s, bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), 65536)),
                         kSendFlags);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The request head, up to its empty line (at most 64 KiB); empty when none came.
std::string ReadHead(RawSocket s, const std::atomic<bool>& stop) {
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
    if (!WaitReadable(s, 5000, stop)) return {};
    const int n = ::recv(s, buffer, sizeof buffer, 0);
    if (n <= 0) return {};
    head.append(buffer, static_cast<std::size_t>(n));
  }
  return head;
}

// The start of "Range: bytes=S-" in a request head, -1 when there is none.
std::int64_t RangeStart(const std::string& head) {
  std::string lower = head;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const std::size_t at = lower.find("\r\nrange: bytes=");
  if (at == std::string::npos) return -1;
  return std::strtoll(head.c_str() + at + 15, nullptr, 10);
}

}  // namespace

const char* HttpFaultName(HttpFault fault) {
  switch (fault) {
    case HttpFault::None: return "None";
    case HttpFault::CloseAfter: return "CloseAfter";
    case HttpFault::ResetAfter: return "ResetAfter";
    case HttpFault::StallAfter: return "StallAfter";
    case HttpFault::LongerLength: return "LongerLength";
    case HttpFault::WholeForRange: return "WholeForRange";
    case HttpFault::WrongContentRange: return "WrongContentRange";
    case HttpFault::GarbageStatus: return "GarbageStatus";
    case HttpFault::EndlessHeader: return "EndlessHeader";
  }
  return "?";
}

struct FaultServer::Impl {
  NetUser net;
  std::string content;
  RawHandle listener{::socket(AF_INET, SOCK_STREAM, 0)};
  int port = 0;
  std::atomic<bool> stop{false};
  std::mutex lock;
  HttpFault fault = HttpFault::None;
  std::int64_t n = 0;
  std::string last_request;
  std::thread thread;

  void Serve(FaultServer& owner);
  void Answer(RawSocket s, const std::string& head);
  void SendFileAnswer(RawSocket s, const std::string& file, std::int64_t start, HttpFault f,
                      std::int64_t count);
  void Abort(RawSocket s);
};

FaultServer::FaultServer(std::string content) : impl_(std::make_unique<Impl>()) {
  Impl& p = *impl_;
  p.content = std::move(content);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  SockLen len = sizeof a;
  if (p.listener.Get() == kInvalid ||
      ::bind(p.listener.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      ::listen(p.listener.Get(), 8) != 0 ||
      ::getsockname(p.listener.Get(), reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    throw std::runtime_error("fault server: cannot listen on 127.0.0.1");
  }
  p.port = ntohs(a.sin_port);
  p.thread = std::thread([this] { impl_->Serve(*this); });
}

FaultServer::~FaultServer() {
  impl_->stop = true;
  impl_->thread.join();
}

void FaultServer::SetContent(std::string content) {
  std::lock_guard<std::mutex> guard(impl_->lock);
  impl_->content = std::move(content);
}

void FaultServer::SetFault(HttpFault fault, std::int64_t n) {
  std::lock_guard<std::mutex> guard(impl_->lock);
  impl_->fault = fault;
  impl_->n = n;
}

std::string FaultServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(impl_->port) + path;
}

std::string FaultServer::LastRequest() const {
  std::lock_guard<std::mutex> guard(impl_->lock);
  return impl_->last_request;
}

void FaultServer::Impl::Serve(FaultServer& owner) {
  while (!stop) {
    if (!WaitReadable(listener.Get(), 100, stop)) continue;
    RawHandle connection(::accept(listener.Get(), nullptr, nullptr));
    if (connection.Get() == kInvalid) continue;
    ++owner.connections_;
    // One request per connection: every answer ends with the connection's close.
    const std::string head = ReadHead(connection.Get(), stop);
    if (head.empty()) continue;
    {
      std::lock_guard<std::mutex> guard(lock);
      last_request = head;
    }
    Answer(connection.Get(), head);
  }
}

void FaultServer::Impl::Answer(RawSocket s, const std::string& head) {
  HttpFault f;
  std::int64_t count;
  std::string file;
  {
    std::lock_guard<std::mutex> guard(lock);
    f = fault;
    count = n;
    file = content;
  }
  const std::int64_t range = RangeStart(head);
  const std::int64_t start = range < 0 ? 0 : range;
  switch (f) {
    case HttpFault::GarbageStatus:
      SendAll(s, "\x16\x03\x01 this is not HTTP at all\r\n\r\n<html>portal</html>");
      return;
    case HttpFault::EndlessHeader: {
      SendAll(s, "HTTP/1.1 200 OK\r\nX-Endless: ");
      const std::string filler(16384, 'a');
      // Until the client gives up (the send fails) or the server is destroyed; 256 MiB at most.
      for (int i = 0; i < 16384 && !stop && SendAll(s, filler); ++i) {
      }
      return;
    }
    case HttpFault::WholeForRange:
      SendFileAnswer(s, file, 0, HttpFault::None, 0);
      return;
    default:
      SendFileAnswer(s, file, range < 0 ? -1 : start, f, count);
  }
}

// The answer for a request starting at `start` (-1: no range asked), spoilt by `f`.
void FaultServer::Impl::SendFileAnswer(RawSocket s, const std::string& file,
                                       std::int64_t start, HttpFault f, std::int64_t count) {
  const auto size = static_cast<std::int64_t>(file.size());
  if (start >= size) {
    SendAll(s, "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */" +
                   std::to_string(size) + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    return;
  }
  const std::int64_t from = std::max<std::int64_t>(start, 0);
  std::int64_t claimed_from = from;
  if (f == HttpFault::WrongContentRange) claimed_from = std::min(from + count, size - 1);
  std::string head = start < 0 ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 206 Partial Content\r\n";
  if (start >= 0 || f == HttpFault::WrongContentRange) {
    head = "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(claimed_from) +
           "-" + std::to_string(size - 1) + "/" + std::to_string(size) + "\r\n";
  }
  std::int64_t length = size - from;
  if (f == HttpFault::LongerLength) length += count;
  head += "Content-Length: " + std::to_string(length) + "\r\nConnection: close\r\n\r\n";
  if (!SendAll(s, head)) return;
  const bool cut = f == HttpFault::CloseAfter || f == HttpFault::ResetAfter ||
                   f == HttpFault::StallAfter;
  const std::int64_t end = cut ? std::clamp<std::int64_t>(count, from, size) : size;
  if (!SendAll(s, std::string_view(file).substr(static_cast<std::size_t>(from),
                                                  static_cast<std::size_t>(end - from)))) {
    return;
  }
  if (f == HttpFault::ResetAfter) Abort(s);
  if (f == HttpFault::StallAfter) {
    while (!stop && !WaitReadable(s, 100, stop)) {
    }
    // Readable means the client closed (or sent more): the stall ends with it.
  }
}

// An abortive close: the client sees a reset.
void FaultServer::Impl::Abort(RawSocket s) {
  linger option{};
  option.l_onoff = 1;
  option.l_linger = 0;
  ::setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&option), sizeof option);
}

}  // namespace ov::testing
