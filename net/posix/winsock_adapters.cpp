// Socket calls with Winsock semantics over the C library: handles widened to TSocket, Winsock
// option numbers and value formats, the IPv6 family as 23, errors as Winsock numbers.
#include "net/posix/winsock_adapters.h"

#include <dlfcn.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/time.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>

namespace ov::posix {
namespace {

LibcCalls g_libc;
std::atomic<int> g_startups{0};

// A TSocket that cannot be a descriptor becomes -1 (the C library then reports EBADF).
int Fd(TSocket socket) {
  return socket <= static_cast<TSocket>(INT_MAX) ? static_cast<int>(socket) : -1;
}

int Result(int result) { return result < 0 ? FailFromErrno() : result; }

int NativeMsgFlags(int flags) {
  int native = 0;
  if (flags & ws::kMsgOob) native |= MSG_OOB;
  if (flags & ws::kMsgPeek) native |= MSG_PEEK;
  if (flags & ws::kMsgDontRoute) native |= MSG_DONTROUTE;
  if (flags & ws::kMsgWaitAll) native |= MSG_WAITALL;
  return native;
}

int Ws_WSAIoctl(TSocket, std::uint32_t, void*, std::uint32_t, void*, std::uint32_t, std::uint32_t*,
                void*, void*) {
  SetLastWinsockError(ws::kWsaEOpNotSupp);
  return ws::kSocketError;
}

int Ws_closesocket(TSocket s) { return Result(g_libc.close(Fd(s))); }

int Ws_ioctlsocket(TSocket s, std::int32_t cmd, std::uint32_t* arg) {
  if (!arg) {
    SetLastWinsockError(ws::kWsaEFault);
    return ws::kSocketError;
  }
  int value = static_cast<int>(*arg);
  if (cmd == ws::kFionBio) return Result(g_libc.ioctl(Fd(s), FIONBIO, &value));
  if (cmd != ws::kFionRead) {
    SetLastWinsockError(ws::kWsaEInval);
    return ws::kSocketError;
  }
  if (g_libc.ioctl(Fd(s), FIONREAD, &value) < 0) return FailFromErrno();
  *arg = static_cast<std::uint32_t>(value);
  return 0;
}

int Ws_WSAGetLastError() { return LastWinsockError(); }

int Ws_WSAStartup(std::uint16_t version, TWSAData* data) {
  if (!data) return ws::kWsaEFault;
  if ((version & 0xFF) < 1) return ws::kWsaVerNotSupported;
  *data = TWSAData{};
  const std::uint16_t highest = ws::kWinsockVersion;
  const bool above = (version & 0xFF) > 2 || ((version & 0xFF) == 2 && (version >> 8) >= 2);
  data->wVersion = above ? highest : version;
  data->wHighVersion = highest;
  std::strcpy(data->szDescription, "WinSock 2.0");
  std::strcpy(data->szSystemStatus, "Running");
  ++g_startups;
  return 0;
}

int Ws_WSACleanup() {
  int count = g_startups.load();
  while (count > 0 && !g_startups.compare_exchange_weak(count, count - 1)) {
  }
  if (count > 0) return 0;
  SetLastWinsockError(ws::kWsaNotInitialised);
  return ws::kSocketError;
}

TSocket Ws_accept(TSocket s, TSockAddr* addr, int* length) {
  sockaddr_storage native{};
  socklen_t native_length = sizeof native;
  const int fd = g_libc.accept(Fd(s), reinterpret_cast<sockaddr*>(&native), &native_length);
  if (fd < 0) {
    FailFromErrno();
    return ws::kInvalidSocket;
  }
  ToWinsockAddr(native, native_length, addr, length);
  return static_cast<TSocket>(fd);
}

template <typename Call>
int WithNativeAddr(const TSockAddr* addr, int length, Call call) {
  sockaddr_storage native;
  socklen_t native_length = 0;
  if (!ToNativeAddr(addr, length, native, native_length)) return ws::kSocketError;
  return Result(call(reinterpret_cast<const sockaddr*>(&native), native_length));
}

int Ws_bind(TSocket s, const TSockAddr* addr, int length) {
  return WithNativeAddr(addr, length,
                        [s](const sockaddr* a, socklen_t l) { return g_libc.bind(Fd(s), a, l); });
}

int Ws_connect(TSocket s, const TSockAddr* addr, int length) {
  return WithNativeAddr(
      addr, length, [s](const sockaddr* a, socklen_t l) { return g_libc.connect(Fd(s), a, l); });
}

template <typename Call>
int NameOf(TSockAddr* addr, int* length, Call call) {
  sockaddr_storage native{};
  socklen_t native_length = sizeof native;
  if (call(reinterpret_cast<sockaddr*>(&native), &native_length) < 0) return FailFromErrno();
  ToWinsockAddr(native, native_length, addr, length);
  return 0;
}

int Ws_getpeername(TSocket s, TSockAddr* addr, int* length) {
  return NameOf(addr, length,
                [s](sockaddr* a, socklen_t* l) { return g_libc.getpeername(Fd(s), a, l); });
}

int Ws_getsockname(TSocket s, TSockAddr* addr, int* length) {
  return NameOf(addr, length,
                [s](sockaddr* a, socklen_t* l) { return g_libc.getsockname(Fd(s), a, l); });
}

// Winsock option level and name as the C library's; false for an option it does not know.
bool NativeOption(int level, int name, int& native_level, int& native_name) {
  struct Option {
    int level, name, native_level, native_name;
  };
  static const Option kOptions[] = {
      {ws::kSolSocket, ws::kSoDebug, SOL_SOCKET, SO_DEBUG},
      {ws::kSolSocket, ws::kSoAcceptConn, SOL_SOCKET, SO_ACCEPTCONN},
      {ws::kSolSocket, ws::kSoReuseAddr, SOL_SOCKET, SO_REUSEADDR},
      {ws::kSolSocket, ws::kSoKeepAlive, SOL_SOCKET, SO_KEEPALIVE},
      {ws::kSolSocket, ws::kSoDontRoute, SOL_SOCKET, SO_DONTROUTE},
      {ws::kSolSocket, ws::kSoBroadcast, SOL_SOCKET, SO_BROADCAST},
      {ws::kSolSocket, ws::kSoLinger, SOL_SOCKET, SO_LINGER},
      {ws::kSolSocket, ws::kSoOobInline, SOL_SOCKET, SO_OOBINLINE},
      {ws::kSolSocket, ws::kSoSndBuf, SOL_SOCKET, SO_SNDBUF},
      {ws::kSolSocket, ws::kSoRcvBuf, SOL_SOCKET, SO_RCVBUF},
      {ws::kSolSocket, ws::kSoSndLowat, SOL_SOCKET, SO_SNDLOWAT},
      {ws::kSolSocket, ws::kSoRcvLowat, SOL_SOCKET, SO_RCVLOWAT},
      {ws::kSolSocket, ws::kSoSndTimeo, SOL_SOCKET, SO_SNDTIMEO},
      {ws::kSolSocket, ws::kSoRcvTimeo, SOL_SOCKET, SO_RCVTIMEO},
      {ws::kSolSocket, ws::kSoError, SOL_SOCKET, SO_ERROR},
      {ws::kSolSocket, ws::kSoType, SOL_SOCKET, SO_TYPE},
      {ws::kIpProtoIp, ws::kIpOptions, IPPROTO_IP, IP_OPTIONS},
      {ws::kIpProtoIp, ws::kIpHdrIncl, IPPROTO_IP, IP_HDRINCL},
      {ws::kIpProtoIp, ws::kIpTos, IPPROTO_IP, IP_TOS},
      {ws::kIpProtoIp, ws::kIpTtl, IPPROTO_IP, IP_TTL},
      {ws::kIpProtoIp, ws::kIpMulticastIf, IPPROTO_IP, IP_MULTICAST_IF},
      {ws::kIpProtoIp, ws::kIpMulticastTtl, IPPROTO_IP, IP_MULTICAST_TTL},
      {ws::kIpProtoIp, ws::kIpMulticastLoop, IPPROTO_IP, IP_MULTICAST_LOOP},
      {ws::kIpProtoIp, ws::kIpAddMembership, IPPROTO_IP, IP_ADD_MEMBERSHIP},
      {ws::kIpProtoIp, ws::kIpDropMembership, IPPROTO_IP, IP_DROP_MEMBERSHIP},
      {ws::kIpProtoIpv6, ws::kIpv6UnicastHops, IPPROTO_IPV6, IPV6_UNICAST_HOPS},
      {ws::kIpProtoIpv6, ws::kIpv6MulticastIf, IPPROTO_IPV6, IPV6_MULTICAST_IF},
      {ws::kIpProtoIpv6, ws::kIpv6MulticastHops, IPPROTO_IPV6, IPV6_MULTICAST_HOPS},
      {ws::kIpProtoIpv6, ws::kIpv6MulticastLoop, IPPROTO_IPV6, IPV6_MULTICAST_LOOP},
      {ws::kIpProtoIpv6, ws::kIpv6JoinGroup, IPPROTO_IPV6, IPV6_JOIN_GROUP},
      {ws::kIpProtoIpv6, ws::kIpv6LeaveGroup, IPPROTO_IPV6, IPV6_LEAVE_GROUP},
      {ws::kIpProtoIpv6, ws::kIpv6V6Only, IPPROTO_IPV6, IPV6_V6ONLY},
      {ws::kIpProtoTcp, ws::kTcpNoDelay, IPPROTO_TCP, TCP_NODELAY},
  };
  for (const Option& option : kOptions) {
    if (option.level == level && option.name == name) {
      native_level = option.native_level;
      native_name = option.native_name;
      return true;
    }
  }
  return false;
}

bool IsTimeoutOption(int level, int name) {
  return level == ws::kSolSocket && (name == ws::kSoSndTimeo || name == ws::kSoRcvTimeo);
}

int Fail(int code) {
  SetLastWinsockError(code);
  return ws::kSocketError;
}

int Ws_setsockopt(TSocket s, int level, int name, const char* value, int length) {
  int native_level = 0, native_name = 0;
  if (!NativeOption(level, name, native_level, native_name)) return Fail(ws::kWsaENoProtoOpt);
  if (!value || length < 0) return Fail(ws::kWsaEFault);
  if (IsTimeoutOption(level, name)) {
    if (length < 4) return Fail(ws::kWsaEFault);
    std::uint32_t ms;
    std::memcpy(&ms, value, sizeof ms);
    const timeval tv{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>(ms % 1000 * 1000)};
    return Result(g_libc.setsockopt(Fd(s), native_level, native_name, &tv, sizeof tv));
  }
  if (level == ws::kSolSocket && name == ws::kSoLinger) {
    if (length < static_cast<int>(sizeof(TLinger))) return Fail(ws::kWsaEFault);
    TLinger linger;
    std::memcpy(&linger, value, sizeof linger);
    const ::linger native{linger.l_onoff, linger.l_linger};
    return Result(g_libc.setsockopt(Fd(s), native_level, native_name, &native, sizeof native));
  }
  return Result(
      g_libc.setsockopt(Fd(s), native_level, native_name, value, static_cast<socklen_t>(length)));
}

// Writes a converted option value the way Winsock does: the caller's buffer must hold it.
int PutOption(const void* data, int size, char* value, int* length) {
  if (*length < size) return Fail(ws::kWsaEFault);
  std::memcpy(value, data, static_cast<std::size_t>(size));
  *length = size;
  return 0;
}

int Ws_getsockopt(TSocket s, int level, int name, char* value, int* length) {
  int native_level = 0, native_name = 0;
  if (!NativeOption(level, name, native_level, native_name)) return Fail(ws::kWsaENoProtoOpt);
  if (!value || !length || *length < 0) return Fail(ws::kWsaEFault);
  if (IsTimeoutOption(level, name)) {
    timeval tv{};
    socklen_t size = sizeof tv;
    if (g_libc.getsockopt(Fd(s), native_level, native_name, &tv, &size) < 0) return FailFromErrno();
    const auto ms = static_cast<std::uint32_t>(tv.tv_sec * 1000 + tv.tv_usec / 1000);
    return PutOption(&ms, sizeof ms, value, length);
  }
  if (level == ws::kSolSocket && name == ws::kSoLinger) {
    ::linger native{};
    socklen_t size = sizeof native;
    if (g_libc.getsockopt(Fd(s), native_level, native_name, &native, &size) < 0)
      return FailFromErrno();
    const TLinger linger{static_cast<std::uint16_t>(native.l_onoff),
                         static_cast<std::uint16_t>(native.l_linger)};
    return PutOption(&linger, sizeof linger, value, length);
  }
  socklen_t size = static_cast<socklen_t>(*length);
  if (g_libc.getsockopt(Fd(s), native_level, native_name, value, &size) < 0) return FailFromErrno();
  *length = static_cast<int>(size);
  if (level == ws::kSolSocket && name == ws::kSoError && size >= sizeof(int)) {
    int error;
    std::memcpy(&error, value, sizeof error);
    error = WinsockErrorFromErrno(error);
    std::memcpy(value, &error, sizeof error);
  }
  return 0;
}

std::uint32_t Ws_htonl(std::uint32_t v) { return htonl(v); }
std::uint16_t Ws_htons(std::uint16_t v) { return htons(v); }
std::uint32_t Ws_ntohl(std::uint32_t v) { return ntohl(v); }
std::uint16_t Ws_ntohs(std::uint16_t v) { return ntohs(v); }

std::uint32_t Ws_inet_addr(const char* text) {
  if (!text) return ws::kInAddrNone;
  return g_libc.inet_addr(text);
}

char* Ws_inet_ntoa(TInAddr addr) {
  in_addr native;
  std::memcpy(&native, &addr, sizeof native);
  return g_libc.inet_ntoa(native);
}

int Ws_listen(TSocket s, int backlog) { return Result(g_libc.listen(Fd(s), backlog)); }

int Count(ssize_t result) { return result < 0 ? FailFromErrno() : static_cast<int>(result); }

// A send refused with EPIPE: Windows tells a connection shut down for sending by this side
// (still connected) from one the peer has dropped.
int SendCount(TSocket s, ssize_t result) {
  if (result >= 0 || errno != EPIPE) return Count(result);
  sockaddr_storage peer{};
  socklen_t length = sizeof peer;
  const bool connected =
      g_libc.getpeername(Fd(s), reinterpret_cast<sockaddr*>(&peer), &length) == 0;
  return Fail(connected ? ws::kWsaEShutdown : ws::kWsaEConnReset);
}

int Ws_recv(TSocket s, char* buffer, int length, int flags) {
  if (length < 0) return Fail(ws::kWsaEFault);
  return Count(g_libc.recv(Fd(s), buffer, static_cast<std::size_t>(length), NativeMsgFlags(flags)));
}

int Ws_recvfrom(TSocket s, char* buffer, int length, int flags, TSockAddr* from, int* from_length) {
  if (length < 0) return Fail(ws::kWsaEFault);
  sockaddr_storage native{};
  socklen_t native_length = sizeof native;
  const ssize_t result =
      g_libc.recvfrom(Fd(s), buffer, static_cast<std::size_t>(length), NativeMsgFlags(flags),
                      reinterpret_cast<sockaddr*>(&native), &native_length);
  if (result >= 0) ToWinsockAddr(native, native_length, from, from_length);
  return Count(result);
}

// Sending never raises SIGPIPE: a dropped connection is an error value as on Windows.
int Ws_send(TSocket s, const char* buffer, int length, int flags) {
  if (length < 0) return Fail(ws::kWsaEFault);
  return SendCount(s, g_libc.send(Fd(s), buffer, static_cast<std::size_t>(length),
                                  NativeMsgFlags(flags) | MSG_NOSIGNAL));
}

int Ws_sendto(TSocket s, const char* buffer, int length, int flags, const TSockAddr* to,
              int to_length) {
  if (length < 0) return Fail(ws::kWsaEFault);
  const int native_flags = NativeMsgFlags(flags) | MSG_NOSIGNAL;
  const auto size = static_cast<std::size_t>(length);
  if (!to) return SendCount(s, g_libc.sendto(Fd(s), buffer, size, native_flags, nullptr, 0));
  sockaddr_storage native;
  socklen_t native_length = 0;
  if (!ToNativeAddr(to, to_length, native, native_length)) return ws::kSocketError;
  return SendCount(s, g_libc.sendto(Fd(s), buffer, size, native_flags,
                                    reinterpret_cast<const sockaddr*>(&native), native_length));
}

int Ws_shutdown(TSocket s, int how) { return Result(g_libc.shutdown(Fd(s), how)); }

// IPv6 sockets accept IPv6 only, as on Windows.
TSocket Ws_socket(int family, int type, int protocol) {
  if (g_startups.load() <= 0) {
    SetLastWinsockError(ws::kWsaNotInitialised);
    return ws::kInvalidSocket;
  }
  const int native_family = ToNativeFamily(family);
  const int fd = g_libc.socket(native_family, type | SOCK_CLOEXEC, protocol);
  if (fd < 0) {
    FailFromErrno();
    return ws::kInvalidSocket;
  }
  if (native_family == AF_INET6) {
    const int on = 1;
    g_libc.setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
  }
  return static_cast<TSocket>(fd);
}

template <typename Fn>
SocketLibrary::Proc AsProc(Fn fn) {
  return reinterpret_cast<SocketLibrary::Proc>(fn);
}

struct Adapter {
  const char* name;
  SocketLibrary::Proc proc;
  bool (*available)();  // whether the C library function it stands on was found
};

template <auto Member>
bool Has() {
  return g_libc.*Member != nullptr;
}

bool Always() { return true; }

const Adapter kAdapters[] = {
    {"WSAIoctl", AsProc(&Ws_WSAIoctl), Always},
    {"__WSAFDIsSet", AsProc(&FdIsSet), Always},
    {"closesocket", AsProc(&Ws_closesocket), Has<&LibcCalls::close>},
    {"ioctlsocket", AsProc(&Ws_ioctlsocket), Has<&LibcCalls::ioctl>},
    {"WSAGetLastError", AsProc(&Ws_WSAGetLastError), Always},
    {"WSAStartup", AsProc(&Ws_WSAStartup), Always},
    {"WSACleanup", AsProc(&Ws_WSACleanup), Always},
    {"accept", AsProc(&Ws_accept), Has<&LibcCalls::accept>},
    {"bind", AsProc(&Ws_bind), Has<&LibcCalls::bind>},
    {"connect", AsProc(&Ws_connect), Has<&LibcCalls::connect>},
    {"getpeername", AsProc(&Ws_getpeername), Has<&LibcCalls::getpeername>},
    {"getsockname", AsProc(&Ws_getsockname), Has<&LibcCalls::getsockname>},
    {"getsockopt", AsProc(&Ws_getsockopt), Has<&LibcCalls::getsockopt>},
    {"htonl", AsProc(&Ws_htonl), Always},
    {"htons", AsProc(&Ws_htons), Always},
    {"inet_addr", AsProc(&Ws_inet_addr), Has<&LibcCalls::inet_addr>},
    {"inet_ntoa", AsProc(&Ws_inet_ntoa), Has<&LibcCalls::inet_ntoa>},
    {"listen", AsProc(&Ws_listen), Has<&LibcCalls::listen>},
    {"ntohl", AsProc(&Ws_ntohl), Always},
    {"ntohs", AsProc(&Ws_ntohs), Always},
    {"recv", AsProc(&Ws_recv), Has<&LibcCalls::recv>},
    {"recvfrom", AsProc(&Ws_recvfrom), Has<&LibcCalls::recvfrom>},
    {"select", AsProc(&Select), Has<&LibcCalls::poll>},
    {"send", AsProc(&Ws_send), Has<&LibcCalls::send>},
    {"sendto", AsProc(&Ws_sendto), Has<&LibcCalls::sendto>},
    {"setsockopt", AsProc(&Ws_setsockopt), Has<&LibcCalls::setsockopt>},
    {"shutdown", AsProc(&Ws_shutdown), Has<&LibcCalls::shutdown>},
    {"socket", AsProc(&Ws_socket), Has<&LibcCalls::socket>},
    {"gethostbyaddr", AsProc(&GetHostByAddr), Has<&LibcCalls::gethostbyaddr>},
    {"gethostbyname", AsProc(&GetHostByName), Has<&LibcCalls::gethostbyname>},
    {"getprotobyname", AsProc(&GetProtoByName), Has<&LibcCalls::getprotobyname>},
    {"getprotobynumber", AsProc(&GetProtoByNumber), Has<&LibcCalls::getprotobynumber>},
    {"getservbyname", AsProc(&GetServByName), Has<&LibcCalls::getservbyname>},
    {"getservbyport", AsProc(&GetServByPort), Has<&LibcCalls::getservbyport>},
    {"gethostname", AsProc(&GetHostName), Has<&LibcCalls::gethostname>},
    {"getaddrinfo", AsProc(&GetAddrInfo), Has<&LibcCalls::getaddrinfo>},
    {"freeaddrinfo", AsProc(&FreeAddrInfo), Has<&LibcCalls::freeaddrinfo>},
    {"getnameinfo", AsProc(&GetNameInfo), Has<&LibcCalls::getnameinfo>},
};

template <typename Fn>
void Load(void* handle, const char* name, Fn& slot) {
  slot = reinterpret_cast<Fn>(dlsym(handle, name));
}

}  // namespace

const LibcCalls& Libc() { return g_libc; }

void LoadLibcCalls(void* handle) {
  LibcCalls& c = g_libc;
  Load(handle, "socket", c.socket);
  Load(handle, "close", c.close);
  Load(handle, "ioctl", c.ioctl);
  Load(handle, "accept", c.accept);
  Load(handle, "bind", c.bind);
  Load(handle, "connect", c.connect);
  Load(handle, "getpeername", c.getpeername);
  Load(handle, "getsockname", c.getsockname);
  Load(handle, "getsockopt", c.getsockopt);
  Load(handle, "setsockopt", c.setsockopt);
  Load(handle, "listen", c.listen);
  Load(handle, "recv", c.recv);
  Load(handle, "recvfrom", c.recvfrom);
  Load(handle, "send", c.send);
  Load(handle, "sendto", c.sendto);
  Load(handle, "shutdown", c.shutdown);
  Load(handle, "poll", c.poll);
  Load(handle, "inet_addr", c.inet_addr);
  Load(handle, "inet_ntoa", c.inet_ntoa);
  Load(handle, "gethostbyname", c.gethostbyname);
  Load(handle, "gethostbyaddr", c.gethostbyaddr);
  Load(handle, "getprotobyname", c.getprotobyname);
  Load(handle, "getprotobynumber", c.getprotobynumber);
  Load(handle, "getservbyname", c.getservbyname);
  Load(handle, "getservbyport", c.getservbyport);
  Load(handle, "gethostname", c.gethostname);
  Load(handle, "getaddrinfo", c.getaddrinfo);
  Load(handle, "freeaddrinfo", c.freeaddrinfo);
  Load(handle, "getnameinfo", c.getnameinfo);
}

SocketLibrary::Proc FindAdapter(const char* name) {
  for (const Adapter& adapter : kAdapters) {
    if (std::strcmp(adapter.name, name) == 0) return adapter.available() ? adapter.proc : nullptr;
  }
  return nullptr;
}

}  // namespace ov::posix
