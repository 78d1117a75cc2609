// Run-time binding of the platform's socket interface with Winsock semantics in both builds:
// the process-wide table of entries, the address record and socket set, and the operations over
// them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Calling convention of the socket library's functions (matters in the 32-bit Windows build).
#if defined(_WIN32)
#define OV_WSAAPI __stdcall
#else
#define OV_WSAAPI
#endif

namespace ov {

// Socket handle: as wide as a pointer (32-bit on Windows, the POSIX descriptor widened elsewhere).
using TSocket = std::uintptr_t;

// Winsock's values, identical in both builds. Named so that they never meet the system's macros.
namespace ws {

inline constexpr TSocket kInvalidSocket = ~TSocket{0};
inline constexpr int kSocketError = -1;

// Address families.
inline constexpr int kAfUnspec = 0;
inline constexpr int kAfInet = 2;
inline constexpr int kAfInet6 = 23;

// Socket types.
inline constexpr int kSockStream = 1;
inline constexpr int kSockDgram = 2;
inline constexpr int kSockRaw = 3;

// Protocols.
inline constexpr int kIpProtoIp = 0;
inline constexpr int kIpProtoIcmp = 1;
inline constexpr int kIpProtoTcp = 6;
inline constexpr int kIpProtoUdp = 17;
inline constexpr int kIpProtoIpv6 = 41;

// Socket-level options (level kSolSocket).
inline constexpr int kSolSocket = 0xFFFF;
inline constexpr int kSoDebug = 0x0001;
inline constexpr int kSoAcceptConn = 0x0002;
inline constexpr int kSoReuseAddr = 0x0004;
inline constexpr int kSoKeepAlive = 0x0008;
inline constexpr int kSoDontRoute = 0x0010;
inline constexpr int kSoBroadcast = 0x0020;
inline constexpr int kSoLinger = 0x0080;
inline constexpr int kSoOobInline = 0x0100;
inline constexpr int kSoSndBuf = 0x1001;
inline constexpr int kSoRcvBuf = 0x1002;
inline constexpr int kSoSndLowat = 0x1003;
inline constexpr int kSoRcvLowat = 0x1004;
inline constexpr int kSoSndTimeo = 0x1005;  // value: 32-bit milliseconds
inline constexpr int kSoRcvTimeo = 0x1006;  // value: 32-bit milliseconds
inline constexpr int kSoError = 0x1007;     // value: a Winsock error number
inline constexpr int kSoType = 0x1008;

// IPv4 options (level kIpProtoIp).
inline constexpr int kIpOptions = 1;
inline constexpr int kIpHdrIncl = 2;
inline constexpr int kIpTos = 3;
inline constexpr int kIpTtl = 4;
inline constexpr int kIpMulticastIf = 9;
inline constexpr int kIpMulticastTtl = 10;
inline constexpr int kIpMulticastLoop = 11;
inline constexpr int kIpAddMembership = 12;
inline constexpr int kIpDropMembership = 13;

// IPv6 options (level kIpProtoIpv6).
inline constexpr int kIpv6UnicastHops = 4;
inline constexpr int kIpv6MulticastIf = 9;
inline constexpr int kIpv6MulticastHops = 10;
inline constexpr int kIpv6MulticastLoop = 11;
inline constexpr int kIpv6JoinGroup = 12;
inline constexpr int kIpv6LeaveGroup = 13;
inline constexpr int kIpv6V6Only = 27;

// TCP options (level kIpProtoTcp).
inline constexpr int kTcpNoDelay = 1;

// ioctlsocket commands (as Winsock's 32-bit long).
inline constexpr std::int32_t kFionRead = 0x4004667F;
inline constexpr std::int32_t kFionBio = static_cast<std::int32_t>(0x8004667EU);

// send/recv flags.
inline constexpr int kMsgOob = 0x1;
inline constexpr int kMsgPeek = 0x2;
inline constexpr int kMsgDontRoute = 0x4;
inline constexpr int kMsgWaitAll = 0x8;

// shutdown directions.
inline constexpr int kSdReceive = 0;
inline constexpr int kSdSend = 1;
inline constexpr int kSdBoth = 2;

// Address-information flags and name-information flags.
inline constexpr int kAiPassive = 0x01;
inline constexpr int kAiCanonName = 0x02;
inline constexpr int kAiNumericHost = 0x04;
inline constexpr int kNiNoFqdn = 0x01;
inline constexpr int kNiNumericHost = 0x02;
inline constexpr int kNiNameReqd = 0x04;
inline constexpr int kNiNumericServ = 0x08;
inline constexpr int kNiDgram = 0x10;
inline constexpr std::size_t kNiMaxHost = 1025;
inline constexpr std::size_t kNiMaxServ = 32;

// IPv4 addresses in network order as read from memory (all-ones is also the broadcast address).
inline constexpr std::uint32_t kInAddrAny = 0x00000000U;
inline constexpr std::uint32_t kInAddrNone = 0xFFFFFFFFU;

// Interface version asked for at start-up (2.2).
inline constexpr std::uint16_t kWinsockVersion = 0x0202;

// Winsock error numbers.
inline constexpr int kWsaNotEnoughMemory = 8;
inline constexpr int kWsaEIntr = 10004;
inline constexpr int kWsaEBadF = 10009;
inline constexpr int kWsaEAcces = 10013;
inline constexpr int kWsaEFault = 10014;
inline constexpr int kWsaEInval = 10022;
inline constexpr int kWsaEMFile = 10024;
inline constexpr int kWsaEWouldBlock = 10035;
inline constexpr int kWsaEInProgress = 10036;
inline constexpr int kWsaEAlready = 10037;
inline constexpr int kWsaENotSock = 10038;
inline constexpr int kWsaEDestAddrReq = 10039;
inline constexpr int kWsaEMsgSize = 10040;
inline constexpr int kWsaEProtoType = 10041;
inline constexpr int kWsaENoProtoOpt = 10042;
inline constexpr int kWsaEProtoNoSupport = 10043;
inline constexpr int kWsaESocktNoSupport = 10044;
inline constexpr int kWsaEOpNotSupp = 10045;
inline constexpr int kWsaEPfNoSupport = 10046;
inline constexpr int kWsaEAfNoSupport = 10047;
inline constexpr int kWsaEAddrInUse = 10048;
inline constexpr int kWsaEAddrNotAvail = 10049;
inline constexpr int kWsaENetDown = 10050;
inline constexpr int kWsaENetUnreach = 10051;
inline constexpr int kWsaENetReset = 10052;
inline constexpr int kWsaEConnAborted = 10053;
inline constexpr int kWsaEConnReset = 10054;
inline constexpr int kWsaENoBufs = 10055;
inline constexpr int kWsaEIsConn = 10056;
inline constexpr int kWsaENotConn = 10057;
inline constexpr int kWsaEShutdown = 10058;
inline constexpr int kWsaETooManyRefs = 10059;
inline constexpr int kWsaETimedOut = 10060;
inline constexpr int kWsaEConnRefused = 10061;
inline constexpr int kWsaELoop = 10062;
inline constexpr int kWsaENameTooLong = 10063;
inline constexpr int kWsaEHostDown = 10064;
inline constexpr int kWsaEHostUnreach = 10065;
inline constexpr int kWsaENotEmpty = 10066;
inline constexpr int kWsaEProcLim = 10067;
inline constexpr int kWsaEUsers = 10068;
inline constexpr int kWsaEDQuot = 10069;
inline constexpr int kWsaEStale = 10070;
inline constexpr int kWsaERemote = 10071;
inline constexpr int kWsaSysNotReady = 10091;
inline constexpr int kWsaVerNotSupported = 10092;
inline constexpr int kWsaNotInitialised = 10093;
inline constexpr int kWsaEDiscon = 10101;
inline constexpr int kWsaTypeNotFound = 10109;
inline constexpr int kWsaHostNotFound = 11001;
inline constexpr int kWsaTryAgain = 11002;
inline constexpr int kWsaNoRecovery = 11003;
inline constexpr int kWsaNoData = 11004;

}  // namespace ws

// IPv4 address, network order: 4 bytes or one 32-bit word.
union TInAddr {
  std::uint8_t S_bytes[4];
  std::uint32_t S_addr;
};

// IPv6 address, network order: 16 bytes, 8 words or 4 double words.
union TInAddr6 {
  std::uint8_t u6_addr8[16];
  std::uint8_t S6_addr[16];
  std::uint16_t u6_addr16[8];
  std::uint32_t u6_addr32[4];
};

// Socket address record: the platform's IPv4 and IPv6 socket addresses overlaid (28 bytes).
// The family is Winsock's (2 or 23, 0 when empty); port and addresses are in network order.
struct TVarSin {
  union {
    std::uint16_t AddressFamily;
    std::uint16_t sin_family;
  };
  union {
    std::uint16_t sin_port;
    std::uint16_t sin6_port;
  };
  union {
    TInAddr sin_addr;
    std::uint32_t sin6_flowinfo;
  };
  union {
    std::uint8_t sin_zero[8];
    TInAddr6 sin6_addr;
  };
  std::uint32_t sin6_scope_id;
};
static_assert(sizeof(TVarSin) == 28);
static_assert(offsetof(TVarSin, sin_port) == 2);
static_assert(offsetof(TVarSin, sin_addr) == 4);
static_assert(offsetof(TVarSin, sin6_flowinfo) == 4);
static_assert(offsetof(TVarSin, sin_zero) == 8);
static_assert(offsetof(TVarSin, sin6_addr) == 8);
static_assert(offsetof(TVarSin, sin6_scope_id) == 24);

// Generic socket address as the entries take it.
struct TSockAddr {
  std::uint16_t sa_family;
  char sa_data[14];
};

// Socket set for select: a count followed by at most 64 handles.
inline constexpr std::uint32_t kFdSetSize = 64;
struct TFDSet {
  std::uint32_t fd_count;
  TSocket fd_array[kFdSetSize];
};

// Wait limit for select.
struct TTimeVal {
  std::int32_t tv_sec;
  std::int32_t tv_usec;
};

// SO_LINGER value.
struct TLinger {
  std::uint16_t l_onoff;
  std::uint16_t l_linger;
};

// Start-up information filled by WSAStartup (Winsock's 32-bit layout).
struct TWSAData {
  std::uint16_t wVersion;
  std::uint16_t wHighVersion;
  char szDescription[257];
  char szSystemStatus[129];
  std::uint16_t iMaxSockets;
  std::uint16_t iMaxUdpDg;
  char* lpVendorInfo;
};

// Classic lookup results, in Winsock's layout.
struct THostEnt {
  char* h_name;
  char** h_aliases;
  std::int16_t h_addrtype;
  std::int16_t h_length;
  char** h_addr_list;
};
struct TServEnt {
  char* s_name;
  char** s_aliases;
  std::int16_t s_port;  // network order
  char* s_proto;
};
struct TProtoEnt {
  char* p_name;
  char** p_aliases;
  std::int16_t p_proto;
};

// Address-information entry, in Winsock's field order.
struct TAddrInfo {
  int ai_flags;
  int ai_family;
  int ai_socktype;
  int ai_protocol;
  std::size_t ai_addrlen;
  char* ai_canonname;
  TSockAddr* ai_addr;
  TAddrInfo* ai_next;
};

// Sixteen IPv6 address bytes: eight groups in order, each high byte first.
using TIP6Address = std::array<std::uint8_t, 16>;

// One entry per bound function, with Winsock's own signatures; empty when not exported.
// Error results (-1, kInvalidSocket, nullptr) leave the Winsock error number for WSAGetLastError.
struct SocketEntries {
  int(OV_WSAAPI* WSAIoctl)(TSocket s, std::uint32_t code, void* in, std::uint32_t in_size,
                           void* out, std::uint32_t out_size, std::uint32_t* returned,
                           void* overlapped, void* completion) = nullptr;
  int(OV_WSAAPI* WSAFDIsSet)(TSocket s, TFDSet* set) = nullptr;  // exported as __WSAFDIsSet
  int(OV_WSAAPI* closesocket)(TSocket s) = nullptr;
  int(OV_WSAAPI* ioctlsocket)(TSocket s, std::int32_t cmd, std::uint32_t* arg) = nullptr;
  int(OV_WSAAPI* WSAGetLastError)() = nullptr;
  int(OV_WSAAPI* WSAStartup)(std::uint16_t version, TWSAData* data) = nullptr;
  int(OV_WSAAPI* WSACleanup)() = nullptr;
  TSocket(OV_WSAAPI* accept)(TSocket s, TSockAddr* addr, int* addr_len) = nullptr;
  int(OV_WSAAPI* bind)(TSocket s, const TSockAddr* addr, int addr_len) = nullptr;
  int(OV_WSAAPI* connect)(TSocket s, const TSockAddr* addr, int addr_len) = nullptr;
  int(OV_WSAAPI* getpeername)(TSocket s, TSockAddr* addr, int* addr_len) = nullptr;
  int(OV_WSAAPI* getsockname)(TSocket s, TSockAddr* addr, int* addr_len) = nullptr;
  int(OV_WSAAPI* getsockopt)(TSocket s, int level, int name, char* value, int* value_len) = nullptr;
  std::uint32_t(OV_WSAAPI* htonl)(std::uint32_t value) = nullptr;
  std::uint16_t(OV_WSAAPI* htons)(std::uint16_t value) = nullptr;
  std::uint32_t(OV_WSAAPI* inet_addr)(const char* text) = nullptr;
  char*(OV_WSAAPI* inet_ntoa)(TInAddr addr) = nullptr;
  int(OV_WSAAPI* listen)(TSocket s, int backlog) = nullptr;
  std::uint32_t(OV_WSAAPI* ntohl)(std::uint32_t value) = nullptr;
  std::uint16_t(OV_WSAAPI* ntohs)(std::uint16_t value) = nullptr;
  int(OV_WSAAPI* recv)(TSocket s, char* buffer, int length, int flags) = nullptr;
  int(OV_WSAAPI* recvfrom)(TSocket s, char* buffer, int length, int flags, TSockAddr* from,
                           int* from_len) = nullptr;
  int(OV_WSAAPI* select)(int nfds, TFDSet* read, TFDSet* write, TFDSet* except,
                         const TTimeVal* timeout) = nullptr;
  int(OV_WSAAPI* send)(TSocket s, const char* buffer, int length, int flags) = nullptr;
  int(OV_WSAAPI* sendto)(TSocket s, const char* buffer, int length, int flags, const TSockAddr* to,
                         int to_len) = nullptr;
  int(OV_WSAAPI* setsockopt)(TSocket s, int level, int name, const char* value,
                             int value_len) = nullptr;
  int(OV_WSAAPI* shutdown)(TSocket s, int how) = nullptr;
  TSocket(OV_WSAAPI* socket)(int family, int type, int protocol) = nullptr;
  THostEnt*(OV_WSAAPI* gethostbyaddr)(const char* addr, int length, int family) = nullptr;
  THostEnt*(OV_WSAAPI* gethostbyname)(const char* name) = nullptr;
  TProtoEnt*(OV_WSAAPI* getprotobyname)(const char* name) = nullptr;
  TProtoEnt*(OV_WSAAPI* getprotobynumber)(int number) = nullptr;
  TServEnt*(OV_WSAAPI* getservbyname)(const char* name, const char* proto) = nullptr;
  TServEnt*(OV_WSAAPI* getservbyport)(int port, const char* proto) = nullptr;
  int(OV_WSAAPI* gethostname)(char* name, int length) = nullptr;
  int(OV_WSAAPI* getaddrinfo)(const char* host, const char* service, const TAddrInfo* hints,
                              TAddrInfo** result) = nullptr;
  void(OV_WSAAPI* freeaddrinfo)(TAddrInfo* list) = nullptr;
  int(OV_WSAAPI* getnameinfo)(const TSockAddr* addr, int addr_len, char* host,
                              std::uint32_t host_len, char* service, std::uint32_t service_len,
                              int flags) = nullptr;
};

// The process-wide table of entries: filled by the first LoadSocketLibrary, emptied when the
// last ReleaseSocketLibrary unloads the library (so nothing can call into unloaded code).
const SocketEntries& Entries();

// The process-wide start-up record.
TWSAData& WsaData();

// Counted binding: an empty name stands for "ws2_32.dll" (the platform's socket library).
// False when the library cannot be loaded or lacks a required function (only the three
// address-information functions may be missing).
bool LoadSocketLibrary(std::string_view library_name);
// Counted release; the libraries are unloaded when the count reaches 0. Always true.
// The operations below fail cleanly (kWsaNotInitialised or an error result) while unbound.
bool ReleaseSocketLibrary();

// Start-up of the bound interface: WSAStartup(2.2) into WsaData(). Sockets can be created only
// after a successful start-up, in both builds. Returns and keeps its result
// (0 on success, a Winsock error number otherwise; kWsaNotInitialised when nothing is bound).
int StartupSocketInterface();
// The result of the last StartupSocketInterface (-1 before any).
int StartupResult();
// WSACleanup through the entries (nothing when not bound).
void CleanupSocketInterface();

// True when lookups for the family (0, 2 or 23) use the address-information functions.
bool UsesAddrInfoApi(int family);

// 16 for family 2, 28 for family 23, otherwise 0.
int SinLength(const TVarSin& sin);

void FdSetZero(TFDSet& set);
// Appends the socket while the set holds fewer than 64 (a socket already present is added again).
void FdSetAdd(TSocket socket, TFDSet& set);
bool FdSetHas(TSocket socket, const TFDSet& set);

int SockBind(TSocket socket, const TVarSin& sin);
int SockConnect(TSocket socket, const TVarSin& sin);
TSocket SockAccept(TSocket socket, TVarSin& sin);
int SockLocalName(TSocket socket, TVarSin& sin);
int SockPeerName(TSocket socket, TVarSin& sin);
int SockSend(TSocket socket, const void* buffer, int length, int flags);
int SockRecv(TSocket socket, void* buffer, int length, int flags);
int SockSendTo(TSocket socket, const void* buffer, int length, int flags, const TVarSin& sin);
int SockRecvFrom(TSocket socket, void* buffer, int length, int flags, TVarSin& sin);

// The local host's name; empty text when gethostname fails, its Winsock error in *error.
std::string LocalHostName(int* error = nullptr);

// Fills the record for host and port; 0 on success, otherwise the platform's (Winsock) error.
int ResolveSin(TVarSin& sin, std::string_view host, std::string_view port, int family, int protocol,
               int socket_type, bool prefer_ip4);
// Numeric address text of the record; empty on failure.
std::string SinToIP(const TVarSin& sin);
// Port of the record in host order.
std::uint16_t SinToPort(const TVarSin& sin);

// Every numeric address of the name; "0.0.0.0" alone when there is none.
void LookupNameToIPs(std::string_view name, int family, int protocol, int socket_type,
                     std::vector<std::string>& list);
// Number of a service name or numeric port text; 0 when not found.
std::uint16_t LookupPort(std::string_view port, int family, int protocol, int socket_type);
// Host name of an address; the address text itself when no name is found.
std::string LookupIPToName(std::string_view ip, int family, int protocol, int socket_type);

// Copies the address of an address-information entry into the record: as many bytes as the
// entry's address length, but never more than the record's 28 (the rest of the record is zero).
void SinFromAddrInfo(TVarSin& sin, const TAddrInfo& entry);

// Test support: names listed here are treated as not exported by the next first load.
void SetHiddenEntriesForTesting(std::vector<std::string> names);

}  // namespace ov
