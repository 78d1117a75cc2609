// Winsock semantics over the C library's sockets: the C library's functions as loaded at run
// time, the adapters that the socket binding's entries point to, and the error-number mapping.
#pragma once

#include <arpa/inet.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "net/socket_binding.h"
#include "net/socket_library.h"

namespace ov::posix {

// The C library's socket functions, found by name in the loaded library.
struct LibcCalls {
  decltype(&::socket) socket = nullptr;
  decltype(&::close) close = nullptr;
  decltype(&::ioctl) ioctl = nullptr;
  decltype(&::accept) accept = nullptr;
  decltype(&::bind) bind = nullptr;
  decltype(&::connect) connect = nullptr;
  decltype(&::getpeername) getpeername = nullptr;
  decltype(&::getsockname) getsockname = nullptr;
  decltype(&::getsockopt) getsockopt = nullptr;
  decltype(&::setsockopt) setsockopt = nullptr;
  decltype(&::listen) listen = nullptr;
  decltype(&::recv) recv = nullptr;
  decltype(&::recvfrom) recvfrom = nullptr;
  decltype(&::send) send = nullptr;
  decltype(&::sendto) sendto = nullptr;
  decltype(&::shutdown) shutdown = nullptr;
  decltype(&::poll) poll = nullptr;
  decltype(&::inet_addr) inet_addr = nullptr;
  decltype(&::inet_ntoa) inet_ntoa = nullptr;
  decltype(&::gethostbyname) gethostbyname = nullptr;
  decltype(&::gethostbyaddr) gethostbyaddr = nullptr;
  decltype(&::getprotobyname) getprotobyname = nullptr;
  decltype(&::getprotobynumber) getprotobynumber = nullptr;
  decltype(&::getservbyname) getservbyname = nullptr;
  decltype(&::getservbyport) getservbyport = nullptr;
  decltype(&::gethostname) gethostname = nullptr;
  decltype(&::getaddrinfo) getaddrinfo = nullptr;
  decltype(&::freeaddrinfo) freeaddrinfo = nullptr;
  decltype(&::getnameinfo) getnameinfo = nullptr;
};

// The process-wide table, filled from a loaded C library by LoadLibcCalls.
const LibcCalls& Libc();
void LoadLibcCalls(void* library_handle);

// The adapter exported under a Winsock name; nullptr when the name is unknown or the C library
// function it stands on is missing.
SocketLibrary::Proc FindAdapter(const char* name);

// The calling thread's last Winsock error, as WSAGetLastError reports it.
void SetLastWinsockError(int code);
int LastWinsockError();
// errno and getaddrinfo/getnameinfo (EAI_*) codes as Winsock error numbers.
int WinsockErrorFromErrno(int errno_value);
int WinsockErrorFromAddrInfo(int eai_code, int errno_value);
// Records errno as the last Winsock error and returns the Winsock failure value.
int FailFromErrno();

// Address records between the two numberings of the IPv6 family (23 and AF_INET6).
bool ToNativeAddr(const TSockAddr* addr, int length, sockaddr_storage& native,
                  socklen_t& native_length);
void ToWinsockAddr(const sockaddr_storage& native, socklen_t native_length, TSockAddr* addr,
                   int* length);
int ToNativeFamily(int family);
int ToWinsockFamily(int family);

// Adapters of the name lookups and of select (separate files).
THostEnt* GetHostByName(const char* name);
THostEnt* GetHostByAddr(const char* addr, int length, int family);
TProtoEnt* GetProtoByName(const char* name);
TProtoEnt* GetProtoByNumber(int number);
TServEnt* GetServByName(const char* name, const char* proto);
TServEnt* GetServByPort(int port, const char* proto);
int GetHostName(char* name, int length);
int GetAddrInfo(const char* host, const char* service, const TAddrInfo* hints, TAddrInfo** result);
void FreeAddrInfo(TAddrInfo* list);
int GetNameInfo(const TSockAddr* addr, int addr_length, char* host, std::uint32_t host_length,
                char* service, std::uint32_t service_length, int flags);
int Select(int nfds, TFDSet* read, TFDSet* write, TFDSet* except, const TTimeVal* timeout);
int FdIsSet(TSocket socket, TFDSet* set);

}  // namespace ov::posix
