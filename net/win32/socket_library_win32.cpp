// The platform's socket library on Windows: the DLL loaded by name, functions found by their
// exported names. The binding's records and constants are checked against the system's here.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <string>

#include "net/socket_binding.h"
#include "net/socket_library.h"

namespace ov {
namespace {

static_assert(sizeof(TSocket) == sizeof(SOCKET));
static_assert(ws::kInvalidSocket == INVALID_SOCKET);
static_assert(sizeof(TVarSin) == sizeof(sockaddr_in6));
static_assert(sizeof(TFDSet) == sizeof(fd_set));
static_assert(sizeof(TWSAData) == sizeof(WSADATA));
static_assert(offsetof(TWSAData, lpVendorInfo) == offsetof(WSADATA, lpVendorInfo));
static_assert(sizeof(THostEnt) == sizeof(hostent) &&
              offsetof(THostEnt, h_addr_list) == offsetof(hostent, h_addr_list));
static_assert(sizeof(TServEnt) == sizeof(servent) &&
              offsetof(TServEnt, s_port) == offsetof(servent, s_port) &&
              offsetof(TServEnt, s_proto) == offsetof(servent, s_proto));
static_assert(sizeof(TProtoEnt) == sizeof(protoent));
static_assert(sizeof(TAddrInfo) == sizeof(ADDRINFOA) &&
              offsetof(TAddrInfo, ai_addr) == offsetof(ADDRINFOA, ai_addr) &&
              offsetof(TAddrInfo, ai_canonname) == offsetof(ADDRINFOA, ai_canonname));
static_assert(sizeof(TTimeVal) == sizeof(timeval));
static_assert(sizeof(TLinger) == sizeof(linger));
static_assert(ws::kAfInet6 == AF_INET6 && ws::kSockRaw == SOCK_RAW &&
              ws::kIpProtoIpv6 == IPPROTO_IPV6);
static_assert(ws::kSolSocket == SOL_SOCKET && ws::kSoLinger == SO_LINGER &&
              ws::kSoRcvTimeo == SO_RCVTIMEO && ws::kSoSndTimeo == SO_SNDTIMEO &&
              ws::kSoError == SO_ERROR && ws::kSoReuseAddr == SO_REUSEADDR &&
              ws::kSoKeepAlive == SO_KEEPALIVE && ws::kSoBroadcast == SO_BROADCAST &&
              ws::kSoSndBuf == SO_SNDBUF && ws::kSoRcvBuf == SO_RCVBUF && ws::kSoType == SO_TYPE &&
              ws::kSoOobInline == SO_OOBINLINE);
static_assert(ws::kIpTtl == IP_TTL && ws::kIpMulticastIf == IP_MULTICAST_IF &&
              ws::kIpMulticastTtl == IP_MULTICAST_TTL &&
              ws::kIpMulticastLoop == IP_MULTICAST_LOOP &&
              ws::kIpAddMembership == IP_ADD_MEMBERSHIP &&
              ws::kIpDropMembership == IP_DROP_MEMBERSHIP && ws::kIpTos == IP_TOS &&
              ws::kIpHdrIncl == IP_HDRINCL);
static_assert(ws::kIpv6UnicastHops == IPV6_UNICAST_HOPS &&
              ws::kIpv6MulticastIf == IPV6_MULTICAST_IF &&
              ws::kIpv6MulticastHops == IPV6_MULTICAST_HOPS &&
              ws::kIpv6MulticastLoop == IPV6_MULTICAST_LOOP &&
              ws::kIpv6JoinGroup == IPV6_JOIN_GROUP && ws::kIpv6LeaveGroup == IPV6_LEAVE_GROUP &&
              ws::kIpv6V6Only == IPV6_V6ONLY && ws::kTcpNoDelay == TCP_NODELAY);
static_assert(ws::kFionRead == static_cast<std::int32_t>(FIONREAD) &&
              ws::kFionBio == static_cast<std::int32_t>(FIONBIO));
static_assert(ws::kMsgOob == MSG_OOB && ws::kMsgPeek == MSG_PEEK &&
              ws::kMsgDontRoute == MSG_DONTROUTE && ws::kMsgWaitAll == MSG_WAITALL);
static_assert(ws::kSdReceive == SD_RECEIVE && ws::kSdSend == SD_SEND && ws::kSdBoth == SD_BOTH);
static_assert(ws::kAiPassive == AI_PASSIVE && ws::kAiCanonName == AI_CANONNAME &&
              ws::kAiNumericHost == AI_NUMERICHOST);
static_assert(ws::kNiNumericHost == NI_NUMERICHOST && ws::kNiNumericServ == NI_NUMERICSERV &&
              ws::kNiNameReqd == NI_NAMEREQD && ws::kNiNoFqdn == NI_NOFQDN &&
              ws::kNiDgram == NI_DGRAM);
static_assert(ws::kWsaEWouldBlock == WSAEWOULDBLOCK && ws::kWsaEConnRefused == WSAECONNREFUSED &&
              ws::kWsaEConnReset == WSAECONNRESET && ws::kWsaETimedOut == WSAETIMEDOUT &&
              ws::kWsaEAddrInUse == WSAEADDRINUSE && ws::kWsaHostNotFound == WSAHOST_NOT_FOUND &&
              ws::kWsaNoData == WSANO_DATA && ws::kWsaTypeNotFound == WSATYPE_NOT_FOUND &&
              ws::kWsaSysNotReady == WSASYSNOTREADY && ws::kWsaNotInitialised == WSANOTINITIALISED);

std::wstring WideName(const std::string& utf8) {
  const int count =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(count), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), count);
  return wide;
}

class Module : public SocketLibrary {
 public:
  explicit Module(HMODULE handle) : handle_(handle) {}
  ~Module() override { FreeLibrary(handle_); }
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  Proc Find(const char* name) const override {
    return reinterpret_cast<Proc>(GetProcAddress(handle_, name));
  }

 private:
  HMODULE handle_;
};

}  // namespace

std::unique_ptr<SocketLibrary> SocketLibrary::Open(const std::string& name) {
  // No "cannot find the file" dialog for a missing library: failure is a return value.
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE handle = LoadLibraryW(WideName(name).c_str());
  SetErrorMode(previous);
  if (!handle) return nullptr;
  return std::make_unique<Module>(handle);
}

}  // namespace ov
