// errno and EAI_* codes as Winsock error numbers, the per-thread last error, and the IPv6
// family number translated in address records.
#include <cerrno>
#include <cstring>

#include "net/posix/winsock_adapters.h"

namespace ov::posix {
namespace {

thread_local int t_last_error = 0;

struct ErrnoPair {
  int native;
  int winsock;
};

constexpr ErrnoPair kErrnoMap[] = {
    {EINTR, ws::kWsaEIntr},
    {EBADF, ws::kWsaENotSock},  // a handle that is no socket
    {EACCES, ws::kWsaEAcces},
    {EPERM, ws::kWsaEAcces},
    {EFAULT, ws::kWsaEFault},
    {EINVAL, ws::kWsaEInval},
    {EMFILE, ws::kWsaEMFile},
    {ENFILE, ws::kWsaEMFile},
    {EWOULDBLOCK, ws::kWsaEWouldBlock},
    {EAGAIN, ws::kWsaEWouldBlock},
    // Windows reports a non-blocking connect in progress as "would block".
    {EINPROGRESS, ws::kWsaEWouldBlock},
    {EALREADY, ws::kWsaEAlready},
    {ENOTSOCK, ws::kWsaENotSock},
    {EDESTADDRREQ, ws::kWsaEDestAddrReq},
    {EMSGSIZE, ws::kWsaEMsgSize},
    {EPROTOTYPE, ws::kWsaEProtoType},
    {ENOPROTOOPT, ws::kWsaENoProtoOpt},
    {EPROTONOSUPPORT, ws::kWsaEProtoNoSupport},
    {ESOCKTNOSUPPORT, ws::kWsaESocktNoSupport},
    {EOPNOTSUPP, ws::kWsaEOpNotSupp},
    {EPFNOSUPPORT, ws::kWsaEPfNoSupport},
    {EAFNOSUPPORT, ws::kWsaEAfNoSupport},
    {EADDRINUSE, ws::kWsaEAddrInUse},
    {EADDRNOTAVAIL, ws::kWsaEAddrNotAvail},
    {ENETDOWN, ws::kWsaENetDown},
    {ENETUNREACH, ws::kWsaENetUnreach},
    {ENETRESET, ws::kWsaENetReset},
    {ECONNABORTED, ws::kWsaEConnAborted},
    {ECONNRESET, ws::kWsaEConnReset},
    {EPIPE, ws::kWsaEConnReset},  // writing to a connection the peer has dropped
    {ENOBUFS, ws::kWsaENoBufs},
    {ENOMEM, ws::kWsaENoBufs},
    {EISCONN, ws::kWsaEIsConn},
    {ENOTCONN, ws::kWsaENotConn},
    {ESHUTDOWN, ws::kWsaEShutdown},
    {ETOOMANYREFS, ws::kWsaETooManyRefs},
    {ETIMEDOUT, ws::kWsaETimedOut},
    {ECONNREFUSED, ws::kWsaEConnRefused},
    {ELOOP, ws::kWsaELoop},
    {ENAMETOOLONG, ws::kWsaENameTooLong},
    {EHOSTDOWN, ws::kWsaEHostDown},
    {EHOSTUNREACH, ws::kWsaEHostUnreach},
    {ENOTEMPTY, ws::kWsaENotEmpty},
    {EDQUOT, ws::kWsaEDQuot},
    {ESTALE, ws::kWsaEStale},
    {EREMOTE, ws::kWsaERemote},
};

constexpr int kWsaSysCallFailure = 10107;

}  // namespace

void SetLastWinsockError(int code) { t_last_error = code; }
int LastWinsockError() { return t_last_error; }

int WinsockErrorFromErrno(int errno_value) {
  if (errno_value == 0) return 0;
  for (const ErrnoPair& pair : kErrnoMap) {
    if (pair.native == errno_value) return pair.winsock;
  }
  return kWsaSysCallFailure;
}

int WinsockErrorFromAddrInfo(int eai_code, int errno_value) {
  switch (eai_code) {
    case 0:
      return 0;
    case EAI_AGAIN:
      return ws::kWsaTryAgain;
    case EAI_BADFLAGS:
      return ws::kWsaEInval;
    case EAI_FAIL:
      return ws::kWsaNoRecovery;
    case EAI_FAMILY:
      return ws::kWsaEAfNoSupport;
    case EAI_MEMORY:
      return ws::kWsaNotEnoughMemory;
    case EAI_NONAME:
      return ws::kWsaHostNotFound;
    case EAI_SERVICE:
      return ws::kWsaTypeNotFound;
    case EAI_SOCKTYPE:
      return ws::kWsaESocktNoSupport;
    case EAI_OVERFLOW:
      return ws::kWsaEFault;
#ifdef EAI_NODATA
    case EAI_NODATA:
      return ws::kWsaNoData;
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
      return ws::kWsaNoData;
#endif
    case EAI_SYSTEM:
      return WinsockErrorFromErrno(errno_value);
    default:
      return ws::kWsaNoRecovery;
  }
}

int FailFromErrno() {
  SetLastWinsockError(WinsockErrorFromErrno(errno));
  return ws::kSocketError;
}

int ToNativeFamily(int family) { return family == ws::kAfInet6 ? AF_INET6 : family; }
int ToWinsockFamily(int family) { return family == AF_INET6 ? ws::kAfInet6 : family; }

bool ToNativeAddr(const TSockAddr* addr, int length, sockaddr_storage& native,
                  socklen_t& native_length) {
  native = sockaddr_storage{};
  if (!addr || length < static_cast<int>(sizeof(sa_family_t)) ||
      static_cast<std::size_t>(length) > sizeof native) {
    SetLastWinsockError(ws::kWsaEFault);
    return false;
  }
  std::memcpy(&native, addr, static_cast<std::size_t>(length));
  native.ss_family = static_cast<sa_family_t>(ToNativeFamily(addr->sa_family));
  native_length = static_cast<socklen_t>(length);
  return true;
}

void ToWinsockAddr(const sockaddr_storage& native, socklen_t native_length, TSockAddr* addr,
                   int* length) {
  if (!addr || !length || *length <= 0) return;
  sockaddr_storage copy = native;
  copy.ss_family = static_cast<sa_family_t>(ToWinsockFamily(native.ss_family));
  const std::size_t room = static_cast<std::size_t>(*length);
  std::memcpy(addr, &copy, native_length < room ? native_length : room);
  *length = static_cast<int>(native_length);
}

}  // namespace ov::posix
