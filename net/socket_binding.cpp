#include "net/socket_binding.h"

#include <algorithm>
#include <cstring>

#include "net/socket_binding_state.h"

namespace ov {

BindingState& Binding() {
  static BindingState state;
  return state;
}

const SocketEntries& Entries() { return Binding().entries; }

TWSAData& WsaData() { return Binding().wsa_data; }

namespace {

class EntryResolver {
 public:
  EntryResolver(const SocketLibrary& library, const std::vector<std::string>& hidden)
      : library_(library), hidden_(hidden) {}

  template <typename Fn>
  void operator()(const char* name, Fn& entry) const {
    const bool hidden = std::find(hidden_.begin(), hidden_.end(), name) != hidden_.end();
    entry = hidden ? nullptr : reinterpret_cast<Fn>(library_.Find(name));
  }

 private:
  const SocketLibrary& library_;
  const std::vector<std::string>& hidden_;
};

void ResolveAddrInfoEntries(const EntryResolver& bind, SocketEntries& e) {
  bind("getaddrinfo", e.getaddrinfo);
  bind("freeaddrinfo", e.freeaddrinfo);
  bind("getnameinfo", e.getnameinfo);
}

// Every exported name, in the order the interface lists them.
void ResolveEntries(const EntryResolver& bind, SocketEntries& e) {
  bind("WSAIoctl", e.WSAIoctl);
  bind("__WSAFDIsSet", e.WSAFDIsSet);
  bind("closesocket", e.closesocket);
  bind("ioctlsocket", e.ioctlsocket);
  bind("WSAGetLastError", e.WSAGetLastError);
  bind("WSAStartup", e.WSAStartup);
  bind("WSACleanup", e.WSACleanup);
  bind("accept", e.accept);
  bind("bind", e.bind);
  bind("connect", e.connect);
  bind("getpeername", e.getpeername);
  bind("getsockname", e.getsockname);
  bind("getsockopt", e.getsockopt);
  bind("htonl", e.htonl);
  bind("htons", e.htons);
  bind("inet_addr", e.inet_addr);
  bind("inet_ntoa", e.inet_ntoa);
  bind("listen", e.listen);
  bind("ntohl", e.ntohl);
  bind("ntohs", e.ntohs);
  bind("recv", e.recv);
  bind("recvfrom", e.recvfrom);
  bind("select", e.select);
  bind("send", e.send);
  bind("sendto", e.sendto);
  bind("setsockopt", e.setsockopt);
  bind("shutdown", e.shutdown);
  bind("socket", e.socket);
  bind("gethostbyaddr", e.gethostbyaddr);
  bind("gethostbyname", e.gethostbyname);
  bind("getprotobyname", e.getprotobyname);
  bind("getprotobynumber", e.getprotobynumber);
  bind("getservbyname", e.getservbyname);
  bind("getservbyport", e.getservbyport);
  bind("gethostname", e.gethostname);
  ResolveAddrInfoEntries(bind, e);
}

// The functions this program calls. WSAIoctl, getprotobyname and getservbyport are bound but
// never called; the address-information functions have fallbacks.
bool HasRequiredEntries(const SocketEntries& e) {
  return e.WSAFDIsSet && e.closesocket && e.ioctlsocket && e.WSAGetLastError && e.WSAStartup &&
         e.WSACleanup && e.accept && e.bind && e.connect && e.getpeername && e.getsockname &&
         e.getsockopt && e.htonl && e.htons && e.inet_addr && e.inet_ntoa && e.listen && e.ntohl &&
         e.ntohs && e.recv && e.recvfrom && e.select && e.send && e.sendto && e.setsockopt &&
         e.shutdown && e.socket && e.gethostbyaddr && e.gethostbyname && e.getprotobynumber &&
         e.getservbyname && e.gethostname;
}

bool HasAddrInfoEntries(const SocketEntries& e) {
  return e.getaddrinfo && e.freeaddrinfo && e.getnameinfo;
}

// First load: binds every entry, falling back to the IPv6 support library for the
// address-information functions. Called under the lock with a use count of 0.
bool BindLibrary(BindingState& state, const std::string& name) {
  state.addr_info_in_library = false;
  state.addr_info_in_support = false;
  std::unique_ptr<SocketLibrary> library = SocketLibrary::Open(name);
  if (!library) return false;
  SocketEntries entries;
  ResolveEntries(EntryResolver(*library, state.hidden_names), entries);
  if (!HasRequiredEntries(entries)) return false;
  std::unique_ptr<SocketLibrary> support;
  const bool in_library = HasAddrInfoEntries(entries);
  if (!in_library) {
    support = SocketLibrary::Open(kIp6SupportLibraryName);
    if (support) ResolveAddrInfoEntries(EntryResolver(*support, state.hidden_names), entries);
  }
  state.entries = entries;
  state.library = std::move(library);
  state.support_library = std::move(support);
  state.addr_info_in_library = in_library;
  state.addr_info_in_support = !in_library && state.support_library && HasAddrInfoEntries(entries);
  return true;
}

}  // namespace

bool LoadSocketLibrary(std::string_view library_name) {
  const std::string name =
      library_name.empty() ? std::string(kSocketLibraryName) : std::string(library_name);
  BindingState& state = Binding();
  std::lock_guard<std::mutex> guard(state.lock);
  if (state.use_count <= 0 && !BindLibrary(state, name)) return false;
  ++state.use_count;
  return true;
}

bool ReleaseSocketLibrary() {
  BindingState& state = Binding();
  std::lock_guard<std::mutex> guard(state.lock);
  state.use_count = std::max(state.use_count - 1, 0);
  if (state.use_count == 0) {
    // Entries into unloaded code must not stay callable.
    state.entries = SocketEntries{};
    state.library.reset();
    state.support_library.reset();
  }
  return true;
}

int StartupSocketInterface() {
  BindingState& state = Binding();
  const SocketEntries& e = state.entries;
  state.startup_result =
      e.WSAStartup ? e.WSAStartup(ws::kWinsockVersion, &state.wsa_data) : ws::kWsaNotInitialised;
  return state.startup_result;
}

int StartupResult() { return Binding().startup_result; }

void CleanupSocketInterface() {
  if (Entries().WSACleanup) Entries().WSACleanup();
}

bool UsesAddrInfoApi(int family) {
  const BindingState& state = Binding();
  return state.addr_info_in_library || (family == ws::kAfInet6 && state.addr_info_in_support);
}

int SinLength(const TVarSin& sin) {
  switch (sin.AddressFamily) {
    case ws::kAfInet:
      return 16;
    case ws::kAfInet6:
      return 28;
    default:
      return 0;
  }
}

void FdSetZero(TFDSet& set) { set.fd_count = 0; }

void FdSetAdd(TSocket socket, TFDSet& set) {
  if (set.fd_count >= kFdSetSize) return;
  set.fd_array[set.fd_count++] = socket;
}

bool FdSetHas(TSocket socket, const TFDSet& set) {
  const SocketEntries& e = Entries();
  // The platform's set test never writes to the set.
  return e.WSAFDIsSet && e.WSAFDIsSet(socket, const_cast<TFDSet*>(&set)) != 0;
}

namespace {

TSockAddr* AsSockAddr(TVarSin& sin) { return reinterpret_cast<TSockAddr*>(&sin); }
const TSockAddr* AsSockAddr(const TVarSin& sin) { return reinterpret_cast<const TSockAddr*>(&sin); }
constexpr int kSinSize = static_cast<int>(sizeof(TVarSin));

}  // namespace

int SockBind(TSocket socket, const TVarSin& sin) {
  const SocketEntries& e = Entries();
  return e.bind ? e.bind(socket, AsSockAddr(sin), SinLength(sin)) : ws::kSocketError;
}

int SockConnect(TSocket socket, const TVarSin& sin) {
  const SocketEntries& e = Entries();
  return e.connect ? e.connect(socket, AsSockAddr(sin), SinLength(sin)) : ws::kSocketError;
}

TSocket SockAccept(TSocket socket, TVarSin& sin) {
  const SocketEntries& e = Entries();
  int length = kSinSize;
  return e.accept ? e.accept(socket, AsSockAddr(sin), &length) : ws::kInvalidSocket;
}

int SockLocalName(TSocket socket, TVarSin& sin) {
  sin = TVarSin{};
  const SocketEntries& e = Entries();
  int length = kSinSize;
  return e.getsockname ? e.getsockname(socket, AsSockAddr(sin), &length) : ws::kSocketError;
}

int SockPeerName(TSocket socket, TVarSin& sin) {
  sin = TVarSin{};
  const SocketEntries& e = Entries();
  int length = kSinSize;
  return e.getpeername ? e.getpeername(socket, AsSockAddr(sin), &length) : ws::kSocketError;
}

int SockSend(TSocket socket, const void* buffer, int length, int flags) {
  const SocketEntries& e = Entries();
  return e.send ? e.send(socket, static_cast<const char*>(buffer), length, flags)
                : ws::kSocketError;
}

int SockRecv(TSocket socket, void* buffer, int length, int flags) {
  const SocketEntries& e = Entries();
  return e.recv ? e.recv(socket, static_cast<char*>(buffer), length, flags) : ws::kSocketError;
}

int SockSendTo(TSocket socket, const void* buffer, int length, int flags, const TVarSin& sin) {
  const SocketEntries& e = Entries();
  const TVarSin copy = sin;
  if (!e.sendto) return ws::kSocketError;
  return e.sendto(socket, static_cast<const char*>(buffer), length, flags, AsSockAddr(copy),
                  SinLength(copy));
}

int SockRecvFrom(TSocket socket, void* buffer, int length, int flags, TVarSin& sin) {
  const SocketEntries& e = Entries();
  int from_length = kSinSize;
  if (!e.recvfrom) return ws::kSocketError;
  return e.recvfrom(socket, static_cast<char*>(buffer), length, flags, AsSockAddr(sin),
                    &from_length);
}

std::string LocalHostName(int* error) {
  const SocketEntries& e = Entries();
  char buffer[255] = {};
  int code = 0;
  if (!e.gethostname || !e.WSAGetLastError) {
    code = ws::kWsaNotInitialised;
  } else if (e.gethostname(buffer, 254) != 0) {
    code = e.WSAGetLastError();
    if (code == 0) code = ws::kWsaEFault;
  }
  if (error) *error = code;
  return code == 0 ? std::string(buffer, strnlen(buffer, sizeof buffer)) : std::string();
}

void SinFromAddrInfo(TVarSin& sin, const TAddrInfo& entry) {
  sin = TVarSin{};
  if (!entry.ai_addr) return;
  std::memcpy(&sin, entry.ai_addr, std::min(entry.ai_addrlen, sizeof(TVarSin)));
}

void SetHiddenEntriesForTesting(std::vector<std::string> names) {
  BindingState& state = Binding();
  std::lock_guard<std::mutex> guard(state.lock);
  state.hidden_names = std::move(names);
}

}  // namespace ov
