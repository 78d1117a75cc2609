// select over the 64-entry socket sets with Winsock semantics, carried out with poll so that any
// descriptor number works.
#include <algorithm>
#include <climits>
#include <vector>

#include "net/posix/winsock_adapters.h"

namespace ov::posix {
namespace {

enum SetKind { kRead, kWrite, kExcept };

struct Watched {
  int fd;
  TSocket socket;
  bool in[3];
};

std::uint32_t Count(const TFDSet* set) { return set ? std::min(set->fd_count, kFdSetSize) : 0; }

// Each socket once, with the sets it was asked about; false when one is no descriptor.
bool Collect(TFDSet* const (&sets)[3], std::vector<Watched>& watched) {
  for (int kind = 0; kind < 3; ++kind) {
    for (std::uint32_t i = 0; i < Count(sets[kind]); ++i) {
      const TSocket socket = sets[kind]->fd_array[i];
      if (socket > static_cast<TSocket>(INT_MAX)) return false;
      Watched* found = nullptr;
      for (Watched& w : watched) {
        if (w.socket == socket) found = &w;
      }
      if (!found) {
        watched.push_back(Watched{static_cast<int>(socket), socket, {false, false, false}});
        found = &watched.back();
      }
      found->in[kind] = true;
    }
  }
  return true;
}

// Milliseconds for poll: -1 waits without limit; false for a negative time.
bool PollTimeout(const TTimeVal* timeout, int& ms) {
  if (!timeout) {
    ms = -1;
    return true;
  }
  if (timeout->tv_sec < 0 || timeout->tv_usec < 0) return false;
  const long long total =
      static_cast<long long>(timeout->tv_sec) * 1000 + (timeout->tv_usec + 999) / 1000;
  ms = total > INT_MAX ? INT_MAX : static_cast<int>(total);
  return true;
}

// Winsock's readiness: readable includes a closed or failed connection; a failed connect
// shows in the exception set, not as writable.
bool Ready(SetKind kind, short revents) {
  switch (kind) {
    case kRead:
      return revents & (POLLIN | POLLHUP | POLLERR);
    case kWrite:
      return (revents & POLLOUT) && !(revents & POLLERR);
    case kExcept:
      return revents & (POLLPRI | POLLERR);
  }
  return false;
}

int Fail(int code) {
  SetLastWinsockError(code);
  return ws::kSocketError;
}

}  // namespace

int Select(int, TFDSet* read, TFDSet* write, TFDSet* except, const TTimeVal* timeout) {
  TFDSet* const sets[3] = {read, write, except};
  std::vector<Watched> watched;
  if (!Collect(sets, watched)) return Fail(ws::kWsaENotSock);
  if (watched.empty()) return Fail(ws::kWsaEInval);
  int ms = 0;
  if (!PollTimeout(timeout, ms)) return Fail(ws::kWsaEInval);
  std::vector<pollfd> fds;
  for (const Watched& w : watched) {
    const short events = static_cast<short>(
        (w.in[kRead] ? POLLIN : 0) | (w.in[kWrite] ? POLLOUT : 0) | (w.in[kExcept] ? POLLPRI : 0));
    fds.push_back(pollfd{w.fd, events, 0});
  }
  if (Libc().poll(fds.data(), fds.size(), ms) < 0) return FailFromErrno();
  for (const pollfd& p : fds) {
    if (p.revents & POLLNVAL) return Fail(ws::kWsaENotSock);
  }
  int total = 0;
  for (int kind = 0; kind < 3; ++kind) {
    if (!sets[kind]) continue;
    std::uint32_t kept = 0;
    for (std::size_t i = 0; i < watched.size(); ++i) {
      if (watched[i].in[kind] && Ready(static_cast<SetKind>(kind), fds[i].revents)) {
        sets[kind]->fd_array[kept++] = watched[i].socket;
      }
    }
    sets[kind]->fd_count = kept;
    total += static_cast<int>(kept);
  }
  return total;
}

int FdIsSet(TSocket socket, TFDSet* set) {
  for (std::uint32_t i = 0; i < Count(set); ++i) {
    if (set->fd_array[i] == socket) return 1;
  }
  return 0;
}

}  // namespace ov::posix
