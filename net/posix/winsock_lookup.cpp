// Name, service and protocol lookups with Winsock semantics over the C library: results in
// Winsock's record layouts (per-thread storage for the classic ones), Winsock flag values and
// error numbers, the IPv6 family as 23.
#include <netdb.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "net/posix/winsock_adapters.h"

namespace ov::posix {
namespace {

// Pointer arrays ending in nullptr over owned strings.
struct TextList {
  std::vector<std::string> texts;
  std::vector<char*> pointers;

  void Assign(char** source, std::size_t item_size = 0) {
    texts.clear();
    for (char** p = source; p && *p; ++p) {
      texts.emplace_back(item_size ? std::string(*p, item_size) : std::string(*p));
    }
    pointers.clear();
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
  }
};

struct HostStore {
  std::string name;
  TextList aliases, addresses;
  THostEnt entry{};
};

struct ServStore {
  std::string name, proto;
  TextList aliases;
  TServEnt entry{};
};

struct ProtoStore {
  std::string name;
  TextList aliases;
  TProtoEnt entry{};
};

thread_local HostStore t_host;
thread_local ServStore t_serv;
thread_local ProtoStore t_proto;

int WinsockHostError(int h_error) {
  switch (h_error) {
    case HOST_NOT_FOUND:
      return ws::kWsaHostNotFound;
    case TRY_AGAIN:
      return ws::kWsaTryAgain;
    case NO_RECOVERY:
      return ws::kWsaNoRecovery;
    case NO_DATA:
      return ws::kWsaNoData;
    default:
      return ws::kWsaNoRecovery;
  }
}

THostEnt* StoreHost(const hostent* source) {
  if (!source) {
    SetLastWinsockError(WinsockHostError(h_errno));
    return nullptr;
  }
  HostStore& s = t_host;
  s.name = source->h_name ? source->h_name : "";
  s.aliases.Assign(source->h_aliases);
  s.addresses.Assign(source->h_addr_list, static_cast<std::size_t>(source->h_length));
  s.entry.h_name = s.name.data();
  s.entry.h_aliases = s.aliases.pointers.data();
  s.entry.h_addrtype = static_cast<std::int16_t>(ToWinsockFamily(source->h_addrtype));
  s.entry.h_length = static_cast<std::int16_t>(source->h_length);
  s.entry.h_addr_list = s.addresses.pointers.data();
  SetLastWinsockError(0);
  return &s.entry;
}

TServEnt* StoreServ(const servent* source) {
  if (!source) {
    SetLastWinsockError(ws::kWsaNoData);
    return nullptr;
  }
  ServStore& s = t_serv;
  s.name = source->s_name ? source->s_name : "";
  s.proto = source->s_proto ? source->s_proto : "";
  s.aliases.Assign(source->s_aliases);
  s.entry.s_name = s.name.data();
  s.entry.s_aliases = s.aliases.pointers.data();
  s.entry.s_port = static_cast<std::int16_t>(static_cast<std::uint16_t>(source->s_port));
  s.entry.s_proto = s.proto.data();
  SetLastWinsockError(0);
  return &s.entry;
}

TProtoEnt* StoreProto(const protoent* source) {
  if (!source) {
    SetLastWinsockError(ws::kWsaNoData);
    return nullptr;
  }
  ProtoStore& s = t_proto;
  s.name = source->p_name ? source->p_name : "";
  s.aliases.Assign(source->p_aliases);
  s.entry.p_name = s.name.data();
  s.entry.p_aliases = s.aliases.pointers.data();
  s.entry.p_proto = static_cast<std::int16_t>(source->p_proto);
  SetLastWinsockError(0);
  return &s.entry;
}

int NativeAiFlags(int flags) {
  struct Flag {
    int winsock, native;
  };
  static const Flag kFlags[] = {
      {0x01, AI_PASSIVE}, {0x02, AI_CANONNAME},   {0x04, AI_NUMERICHOST}, {0x08, AI_NUMERICSERV},
      {0x100, AI_ALL},    {0x400, AI_ADDRCONFIG}, {0x800, AI_V4MAPPED}};
  int native = 0;
  for (const Flag& flag : kFlags) {
    if (flags & flag.winsock) native |= flag.native;
  }
  return native;
}

int NativeNiFlags(int flags) {
  int native = 0;
  if (flags & ws::kNiNoFqdn) native |= NI_NOFQDN;
  if (flags & ws::kNiNumericHost) native |= NI_NUMERICHOST;
  if (flags & ws::kNiNameReqd) native |= NI_NAMEREQD;
  if (flags & ws::kNiNumericServ) native |= NI_NUMERICSERV;
  if (flags & ws::kNiDgram) native |= NI_DGRAM;
  return native;
}

// One entry of a Winsock-shaped address list: the record, its address and canonical name in
// one block. Standard layout, so the entry's address is the block's.
struct AddrInfoNode {
  TAddrInfo info;
  sockaddr_storage address;
  char canonical_name[ws::kNiMaxHost];
};

std::unique_ptr<AddrInfoNode> ConvertEntry(const addrinfo& source) {
  auto node = std::make_unique<AddrInfoNode>();
  node->info.ai_flags = source.ai_flags;
  node->info.ai_family = ToWinsockFamily(source.ai_family);
  node->info.ai_socktype = source.ai_socktype;
  node->info.ai_protocol = source.ai_protocol;
  if (source.ai_addr) {
    int length = static_cast<int>(sizeof node->address);
    sockaddr_storage native{};
    std::memcpy(&native, source.ai_addr, std::min<std::size_t>(source.ai_addrlen, sizeof native));
    ToWinsockAddr(native, source.ai_addrlen, reinterpret_cast<TSockAddr*>(&node->address), &length);
    node->info.ai_addrlen = static_cast<std::size_t>(std::min<int>(length, sizeof node->address));
    node->info.ai_addr = reinterpret_cast<TSockAddr*>(&node->address);
  }
  if (source.ai_canonname) {
    std::strncpy(node->canonical_name, source.ai_canonname, sizeof node->canonical_name - 1);
    node->info.ai_canonname = node->canonical_name;
  }
  return node;
}

}  // namespace

THostEnt* GetHostByName(const char* name) {
  if (!name) {
    SetLastWinsockError(ws::kWsaEFault);
    return nullptr;
  }
  return StoreHost(Libc().gethostbyname(name));
}

THostEnt* GetHostByAddr(const char* addr, int length, int family) {
  if (!addr || length <= 0) {
    SetLastWinsockError(ws::kWsaEFault);
    return nullptr;
  }
  return StoreHost(
      Libc().gethostbyaddr(addr, static_cast<socklen_t>(length), ToNativeFamily(family)));
}

TProtoEnt* GetProtoByName(const char* name) {
  return StoreProto(name ? Libc().getprotobyname(name) : nullptr);
}
TProtoEnt* GetProtoByNumber(int number) { return StoreProto(Libc().getprotobynumber(number)); }

TServEnt* GetServByName(const char* name, const char* proto) {
  return StoreServ(name ? Libc().getservbyname(name, proto) : nullptr);
}

TServEnt* GetServByPort(int port, const char* proto) {
  return StoreServ(Libc().getservbyport(port, proto));
}

int GetHostName(char* name, int length) {
  if (!name || length <= 0) {
    SetLastWinsockError(ws::kWsaEFault);
    return ws::kSocketError;
  }
  if (Libc().gethostname(name, static_cast<std::size_t>(length)) != 0) {
    SetLastWinsockError(errno == ENAMETOOLONG ? ws::kWsaEFault : WinsockErrorFromErrno(errno));
    return ws::kSocketError;
  }
  // The C library may truncate without a terminator; Windows fails when the name does not fit.
  if (std::memchr(name, 0, static_cast<std::size_t>(length)) == nullptr) {
    SetLastWinsockError(ws::kWsaEFault);
    return ws::kSocketError;
  }
  return 0;
}

int GetAddrInfo(const char* host, const char* service, const TAddrInfo* hints, TAddrInfo** result) {
  if (!result) return ws::kWsaEInval;
  *result = nullptr;
  addrinfo native_hints{};
  if (hints) {
    native_hints.ai_flags = NativeAiFlags(hints->ai_flags);
    native_hints.ai_family = ToNativeFamily(hints->ai_family);
    native_hints.ai_socktype = hints->ai_socktype;
    native_hints.ai_protocol = hints->ai_protocol;
  }
  addrinfo* list = nullptr;
  const int code = Libc().getaddrinfo(host, service, hints ? &native_hints : nullptr, &list);
  const int error = WinsockErrorFromAddrInfo(code, errno);
  if (code != 0) {
    SetLastWinsockError(error);
    return error;
  }
  TAddrInfo** tail = result;
  for (const addrinfo* entry = list; entry; entry = entry->ai_next) {
    std::unique_ptr<AddrInfoNode> node = ConvertEntry(*entry);
    *tail = &node->info;
    tail = &node->info.ai_next;
    node.release();  // owned by the list handed out, freed by FreeAddrInfo
  }
  Libc().freeaddrinfo(list);
  SetLastWinsockError(0);
  return 0;
}

void FreeAddrInfo(TAddrInfo* list) {
  while (list) {
    std::unique_ptr<AddrInfoNode> node(reinterpret_cast<AddrInfoNode*>(list));
    list = list->ai_next;
  }
}

int GetNameInfo(const TSockAddr* addr, int addr_length, char* host, std::uint32_t host_length,
                char* service, std::uint32_t service_length, int flags) {
  sockaddr_storage native;
  socklen_t native_length = 0;
  if (!ToNativeAddr(addr, addr_length, native, native_length)) return ws::kWsaEFault;
  const int code = Libc().getnameinfo(reinterpret_cast<const sockaddr*>(&native), native_length,
                                      host, host ? host_length : 0, service,
                                      service ? service_length : 0, NativeNiFlags(flags));
  const int error = WinsockErrorFromAddrInfo(code, errno);
  SetLastWinsockError(error);
  return error;
}

}  // namespace ov::posix
