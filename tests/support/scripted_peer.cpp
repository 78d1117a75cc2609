#include "support/scripted_peer.h"

#include "support/raw_socket.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace ov::testing {
namespace {

using namespace rawnet;

// Loopback address record for `host` ("127.0.0.1" or "::1") and `port`.
sockaddr_storage MakeAddress(const std::string& host, int port, SockLen& length) {
  sockaddr_storage storage{};
  if (host.find(':') != std::string::npos) {
    auto* a6 = reinterpret_cast<sockaddr_in6*>(&storage);
    a6->sin6_family = AF_INET6;
    a6->sin6_port = htons(static_cast<unsigned short>(port));
    inet_pton(AF_INET6, host.c_str(), &a6->sin6_addr);
    length = sizeof(sockaddr_in6);
  } else {
    auto* a4 = reinterpret_cast<sockaddr_in*>(&storage);
    a4->sin_family = AF_INET;
    a4->sin_port = htons(static_cast<unsigned short>(port));
    inet_pton(AF_INET, host.c_str(), &a4->sin_addr);
    length = sizeof(sockaddr_in);
  }
  return storage;
}

int BoundPort(RawSocket s) {
  sockaddr_storage storage{};
  SockLen length = sizeof(storage);
  getsockname(s, reinterpret_cast<sockaddr*>(&storage), &length);
  if (storage.ss_family == AF_INET6) {
    return ntohs(reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port);
  }
  return ntohs(reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
}

// A socket of `type` bound to `host` on a free port.
RawHandle BindLoopback(const std::string& host, int type, int& port) {
  SockLen length = 0;
  sockaddr_storage address = MakeAddress(host, 0, length);
  RawHandle handle(::socket(address.ss_family, type, 0));
  if (!handle.Valid()) throw std::runtime_error("scripted peer: socket() failed");
  if (::bind(handle.Get(), reinterpret_cast<sockaddr*>(&address), length) != 0) {
    throw std::runtime_error("scripted peer: cannot bind " + host);
  }
  port = BoundPort(handle.Get());
  return handle;
}

// Waits until `s` is readable (or writable); false after `ms` or when `stop` is set.
bool WaitReady(RawSocket s, bool write, int ms, const std::atomic<bool>& stop) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!stop) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval slice{0, 20000};
    int r = ::select(static_cast<int>(s) + 1, write ? nullptr : &set, write ? &set : nullptr,
                     nullptr, &slice);
    if (r > 0) return true;
    if (r < 0) return false;
    if (std::chrono::steady_clock::now() >= deadline) return false;
  }
  return false;
}

}  // namespace

struct ScriptedPeer::Impl {
  using Step = std::function<bool(Impl&)>;

  NetUser net;
  ScriptedPeer::Protocol protocol;
  RawHandle listener;  // the TCP listener or the UDP socket
  RawHandle connection;
  sockaddr_storage last_sender{};
  SockLen last_sender_length = 0;
  std::vector<Step> steps;
  int step_limit_ms = 10000;
  std::atomic<bool> stop{false};
  std::thread thread;

  mutable std::mutex mutex;
  std::condition_variable done_signal;
  bool done = false;
  std::string received;
  std::vector<std::string> datagrams;
  std::vector<std::string> failures;
  int connections = 0;

  void Fail(const std::string& what) {
    std::lock_guard<std::mutex> lock(mutex);
    failures.push_back(what);
  }

  bool EnsureConnection() {
    if (protocol == ScriptedPeer::Protocol::Udp || connection.Valid()) return true;
    return AcceptNext();
  }

  bool AcceptNext() {
    connection.Reset();
    if (!WaitReady(listener.Get(), false, step_limit_ms, stop)) {
      if (!stop) Fail("no connection arrived");
      return false;
    }
    connection = RawHandle(::accept(listener.Get(), nullptr, nullptr));
    if (!connection.Valid()) {
      Fail("accept failed");
      return false;
    }
    std::lock_guard<std::mutex> lock(mutex);
    ++connections;
    return true;
  }

  bool SendBytes(const std::string& bytes) {
    if (protocol == ScriptedPeer::Protocol::Udp) {
      int r = ::sendto(listener.Get(), bytes.data(), static_cast<int>(bytes.size()), 0,
                       reinterpret_cast<sockaddr*>(&last_sender), last_sender_length);
      if (r < 0) Fail("sendto failed: " + std::to_string(LastNetError()));
      return r >= 0;
    }
    if (!EnsureConnection()) return false;
    std::size_t sent = 0;
    while (sent < bytes.size()) {
      int r =
          ::send(connection.Get(), bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
      if (r <= 0) {
        Fail("send failed: " + std::to_string(LastNetError()));
        return false;
      }
      sent += static_cast<std::size_t>(r);
    }
    return true;
  }

  // TCP: up to `count` bytes (all of them unless the client closes or the limit passes).
  bool ReceiveBytes(std::size_t count, std::string& out, bool until_close) {
    if (!EnsureConnection()) return false;
    char chunk[65536];
    while (until_close || out.size() < count) {
      if (!WaitReady(connection.Get(), false, step_limit_ms, stop)) {
        if (!stop) Fail("receive timed out after " + std::to_string(out.size()) + " bytes");
        return false;
      }
      std::size_t want = until_close ? sizeof(chunk) : std::min(sizeof(chunk), count - out.size());
      int r = ::recv(connection.Get(), chunk, static_cast<int>(want), 0);
      if (r <= 0) {
        if (until_close) return true;
        Fail("connection closed after " + std::to_string(out.size()) + " bytes");
        return false;
      }
      out.append(chunk, static_cast<std::size_t>(r));
      std::lock_guard<std::mutex> lock(mutex);
      received.append(chunk, static_cast<std::size_t>(r));
    }
    return true;
  }

  bool ReceiveDatagram(std::string& out) {
    if (!WaitReady(listener.Get(), false, step_limit_ms, stop)) {
      if (!stop) Fail("no datagram arrived");
      return false;
    }
    std::string buffer(65536, '\0');
    last_sender_length = sizeof(last_sender);
    int r = ::recvfrom(listener.Get(), buffer.data(), static_cast<int>(buffer.size()), 0,
                       reinterpret_cast<sockaddr*>(&last_sender), &last_sender_length);
    if (r < 0) {
      Fail("recvfrom failed: " + std::to_string(LastNetError()));
      return false;
    }
    out.assign(buffer.data(), static_cast<std::size_t>(r));
    std::lock_guard<std::mutex> lock(mutex);
    datagrams.push_back(out);
    return true;
  }

  bool Pause(int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stop && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return !stop;
  }

  void Run() {
    for (Step& step : steps) {
      if (stop || !step(*this)) break;
    }
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
    done_signal.notify_all();
  }
};

ScriptedPeer::ScriptedPeer(Protocol protocol, std::string host)
    : host_(std::move(host)), impl_(std::make_unique<Impl>()) {
  impl_->protocol = protocol;
  impl_->listener =
      BindLoopback(host_, protocol == Protocol::Tcp ? SOCK_STREAM : SOCK_DGRAM, port_);
  if (protocol == Protocol::Tcp && ::listen(impl_->listener.Get(), 16) != 0) {
    throw std::runtime_error("scripted peer: listen failed");
  }
}

ScriptedPeer::~ScriptedPeer() {
  impl_->stop = true;
  if (impl_->thread.joinable()) impl_->thread.join();
}

ScriptedPeer& ScriptedPeer::Accept() {
  impl_->steps.push_back([](Impl& p) { return p.AcceptNext(); });
  return *this;
}

ScriptedPeer& ScriptedPeer::Send(std::string bytes) {
  impl_->steps.push_back([bytes = std::move(bytes)](Impl& p) { return p.SendBytes(bytes); });
  return *this;
}

ScriptedPeer& ScriptedPeer::SendRepeatedly(std::string chunk, int times, int interval_ms) {
  impl_->steps.push_back([chunk = std::move(chunk), times, interval_ms](Impl& p) {
    for (int i = 0; i < times; ++i) {
      if (!p.SendBytes(chunk)) return false;
      if (interval_ms > 0 && !p.Pause(interval_ms)) return false;
    }
    return true;
  });
  return *this;
}

ScriptedPeer& ScriptedPeer::Expect(std::string bytes) {
  impl_->steps.push_back([bytes = std::move(bytes)](Impl& p) {
    std::string got;
    bool ok = p.protocol == Protocol::Udp ? p.ReceiveDatagram(got)
                                          : p.ReceiveBytes(bytes.size(), got, false);
    if (ok && got != bytes) p.Fail("expected \"" + bytes + "\", got \"" + got + "\"");
    return ok;
  });
  return *this;
}

ScriptedPeer& ScriptedPeer::Receive(std::size_t count) {
  impl_->steps.push_back([count](Impl& p) {
    std::string got;
    return p.protocol == Protocol::Udp ? p.ReceiveDatagram(got) : p.ReceiveBytes(count, got, false);
  });
  return *this;
}

ScriptedPeer& ScriptedPeer::ReceiveUntil(std::string terminator) {
  impl_->steps.push_back([terminator = std::move(terminator)](Impl& p) {
    std::string got;
    while (got.size() < terminator.size() ||
           got.compare(got.size() - terminator.size(), terminator.size(), terminator) != 0) {
      if (!p.ReceiveBytes(got.size() + 1, got, false)) return false;
    }
    return true;
  });
  return *this;
}

ScriptedPeer& ScriptedPeer::ReceiveUntilClose() {
  impl_->steps.push_back([](Impl& p) {
    std::string got;
    return p.ReceiveBytes(0, got, true);
  });
  return *this;
}

ScriptedPeer& ScriptedPeer::Wait(int ms) {
  impl_->steps.push_back([ms](Impl& p) { return p.Pause(ms); });
  return *this;
}

ScriptedPeer& ScriptedPeer::Close() {
  impl_->steps.push_back([](Impl& p) {
    if (!p.EnsureConnection()) return false;
    p.connection.Reset();
    return true;
  });
  return *this;
}

ScriptedPeer& ScriptedPeer::Reset() {
  impl_->steps.push_back([](Impl& p) {
    if (!p.EnsureConnection()) return false;
    linger option{};
    option.l_onoff = 1;
    option.l_linger = 0;
    setsockopt(p.connection.Get(), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&option),
               sizeof(option));
    p.connection.Reset();
    return true;
  });
  return *this;
}

ScriptedPeer& ScriptedPeer::Stall() {
  impl_->steps.push_back([](Impl& p) {
    if (!p.EnsureConnection()) return false;
    while (p.Pause(1000)) {
    }
    return true;
  });
  return *this;
}

ScriptedPeer& ScriptedPeer::StepLimit(int ms) {
  impl_->steps.push_back([ms](Impl& p) {
    p.step_limit_ms = ms;
    return true;
  });
  return *this;
}

void ScriptedPeer::Start() {
  impl_->thread = std::thread([impl = impl_.get()] { impl->Run(); });
}

bool ScriptedPeer::WaitDone(int ms) {
  std::unique_lock<std::mutex> lock(impl_->mutex);
  return impl_->done_signal.wait_for(lock, std::chrono::milliseconds(ms),
                                     [this] { return impl_->done; });
}

std::string ScriptedPeer::Received() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->received;
}

std::vector<std::string> ScriptedPeer::Datagrams() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->datagrams;
}

std::vector<std::string> ScriptedPeer::Failures() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->failures;
}

int ScriptedPeer::Connections() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->connections;
}

struct UnansweredListener::Impl {
  NetUser net;
  RawHandle listener;
  std::vector<RawHandle> fillers;
};

UnansweredListener::UnansweredListener(std::string host)
    : host_(std::move(host)), impl_(std::make_unique<Impl>()) {
  impl_->listener = BindLoopback(host_, SOCK_STREAM, port_);
  // Backlog 0: the system keeps at most one or two finished connections waiting; once they are
  // there, it drops further connection requests without answering them.
  ::listen(impl_->listener.Get(), 0);
  SockLen length = 0;
  sockaddr_storage address = MakeAddress(host_, port_, length);
  std::atomic<bool> never{false};
  for (int i = 0; i < 16 && !full_; ++i) {
    RawHandle filler(::socket(address.ss_family, SOCK_STREAM, 0));
    SetNonBlocking(filler.Get(), true);
    int r = ::connect(filler.Get(), reinterpret_cast<sockaddr*>(&address), length);
    if (r != 0 && !InProgress(LastNetError())) break;
    if (r != 0 && !WaitReady(filler.Get(), true, 300, never)) full_ = true;
    impl_->fillers.push_back(std::move(filler));
  }
}

UnansweredListener::~UnansweredListener() = default;

}  // namespace ov::testing
