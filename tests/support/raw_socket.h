// Plain sockets for the test servers and peers, the same on Winsock and POSIX: the handle type,
// an owning handle, the per-user start of Winsock, and the few calls that differ. It brings the
// platform's socket headers along, so its users include none of their own.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <utility>

namespace ov::testing::rawnet {

#ifdef _WIN32
using RawSocket = SOCKET;
constexpr RawSocket kInvalid = INVALID_SOCKET;
using SockLen = int;
constexpr int kSendFlags = 0;
inline void CloseRaw(RawSocket s) { closesocket(s); }
inline int LastNetError() { return WSAGetLastError(); }
inline bool InProgress(int error) { return error == WSAEWOULDBLOCK; }
inline void SetNonBlocking(RawSocket s, bool on) {
  u_long value = on ? 1 : 0;
  ioctlsocket(s, FIONBIO, &value);
}
// Winsock must be started per user; the count is kept by the system.
struct NetUser {
  NetUser() {
    WSADATA data;
    WSAStartup(0x0202, &data);
  }
  ~NetUser() { WSACleanup(); }
  NetUser(const NetUser&) = delete;
  NetUser& operator=(const NetUser&) = delete;
};
#else
using RawSocket = int;
constexpr RawSocket kInvalid = -1;
using SockLen = socklen_t;
constexpr int kSendFlags = MSG_NOSIGNAL;  // a peer that went away is an error, not a signal
inline void CloseRaw(RawSocket s) { ::close(s); }
inline int LastNetError() { return errno; }
inline bool InProgress(int error) { return error == EINPROGRESS; }
inline void SetNonBlocking(RawSocket s, bool on) {
  const int flags = fcntl(s, F_GETFL, 0);
  fcntl(s, F_SETFL, on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK));
}
struct NetUser {};
#endif

// An owned plain socket handle.
class RawHandle {
 public:
  RawHandle() = default;
  explicit RawHandle(RawSocket s) : s_(s) {}
  ~RawHandle() { Reset(); }
  RawHandle(RawHandle&& other) noexcept : s_(std::exchange(other.s_, kInvalid)) {}
  RawHandle& operator=(RawHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      s_ = std::exchange(other.s_, kInvalid);
    }
    return *this;
  }
  RawSocket Get() const { return s_; }
  bool Valid() const { return s_ != kInvalid; }
  void Reset() {
    if (s_ != kInvalid) CloseRaw(s_);
    s_ = kInvalid;
  }

 private:
  RawSocket s_ = kInvalid;
};

}  // namespace ov::testing::rawnet
