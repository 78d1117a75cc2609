// Name, service and address resolution over the bound entries: the address-information
// functions where present, the classic host-entry functions (IPv4 only) otherwise.
#include <cstdio>
#include <memory>

#include "net/socket_binding.h"
#include "net/socket_binding_state.h"
#include "net/text_to_int.h"

namespace ov {
namespace {

constexpr int kNumericFlags = ws::kNiNumericHost | ws::kNiNumericServ;

// Owns a list returned by getaddrinfo and frees it on every path.
class AddrInfoList {
 public:
  AddrInfoList() = default;
  AddrInfoList(const AddrInfoList&) = delete;
  AddrInfoList& operator=(const AddrInfoList&) = delete;
  ~AddrInfoList() {
    if (list_ && Entries().freeaddrinfo) Entries().freeaddrinfo(list_);
  }

  // getaddrinfo into this list; nullptr host or service as the caller chooses.
  int Query(const char* host, const char* service, const TAddrInfo& hints) {
    const SocketEntries& e = Entries();
    if (!e.getaddrinfo) return ws::kWsaNotInitialised;
    return e.getaddrinfo(host, service, &hints, &list_);
  }
  const TAddrInfo* First() const { return list_; }

 private:
  TAddrInfo* list_ = nullptr;
};

TAddrInfo Hints(int flags, int family, int protocol, int socket_type) {
  TAddrInfo hints{};
  hints.ai_flags = flags;
  hints.ai_family = family;
  hints.ai_protocol = protocol;
  hints.ai_socktype = socket_type;
  return hints;
}

// One address-information lookup into a zeroed record; the special host literals select the
// wildcard or loopback address of the hinted family.
int AddrInfoLookup(TVarSin& sin, const std::string& host, const std::string& port,
                   TAddrInfo hints) {
  sin = TVarSin{};
  AddrInfoList list;
  int result;
  if (hints.ai_socktype == ws::kSockRaw) {
    hints.ai_socktype = 0;
    hints.ai_protocol = 0;
    result = list.Query(host.c_str(), nullptr, hints);
  } else if (host == "0.0.0.0" || host == "::0") {
    hints.ai_flags = ws::kAiPassive;
    result = list.Query(nullptr, port.c_str(), hints);
  } else if (host == "127.0.0.1" || host == "::1") {
    hints.ai_flags = 0;
    result = list.Query(nullptr, port.c_str(), hints);
  } else {
    result = list.Query(host.c_str(), port.c_str(), hints);
  }
  if (result == 0 && list.First()) SinFromAddrInfo(sin, *list.First());
  return result;
}

int ResolveWithAddrInfo(TVarSin& sin, const std::string& host, const std::string& port, int family,
                        int protocol, int socket_type, bool prefer_ip4) {
  TAddrInfo first = Hints(0, 0, protocol, socket_type);
  TAddrInfo second = first;
  const bool two_passes = family == ws::kAfUnspec;
  if (!two_passes) {
    first.ai_family = family;
  } else {
    first.ai_family = prefer_ip4 ? ws::kAfInet : ws::kAfInet6;
    second.ai_family = prefer_ip4 ? ws::kAfInet6 : ws::kAfInet;
  }
  int result = AddrInfoLookup(sin, host, port, first);
  if (result != 0 && two_passes) {
    TVarSin other;
    result = AddrInfoLookup(other, host, port, second);
    if (result == 0) sin = other;
  }
  return result;
}

// Port in network order from a service name or a number; called under the lock.
std::uint16_t ClassicPort(const SocketEntries& e, const std::string& port, int protocol) {
  const TProtoEnt* proto = e.getprotobynumber(protocol);
  if (proto && !TextToInt(port)) {
    const TServEnt* service = e.getservbyname(port.c_str(), proto->p_name);
    if (service) return static_cast<std::uint16_t>(service->s_port);
  }
  return e.htons(static_cast<std::uint16_t>(TextToIntDef(port, 0)));
}

// First IPv4 address of a host entry, if it has one.
bool FirstIp4Address(const THostEnt* entry, TInAddr& addr) {
  if (!entry || entry->h_addrtype != ws::kAfInet || entry->h_length != 4 || !entry->h_addr_list ||
      !entry->h_addr_list[0]) {
    return false;
  }
  for (int i = 0; i < 4; ++i) addr.S_bytes[i] = static_cast<std::uint8_t>(entry->h_addr_list[0][i]);
  return true;
}

int ResolveClassic(TVarSin& sin, const std::string& host, const std::string& port, int protocol) {
  const SocketEntries& e = Entries();
  if (!e.gethostbyname) return ws::kWsaNotInitialised;
  std::lock_guard<std::mutex> guard(Binding().lock);
  sin.AddressFamily = ws::kAfInet;
  sin.sin_port = ClassicPort(e, port, protocol);
  if (host == "255.255.255.255") {
    sin.sin_addr.S_addr = ws::kInAddrNone;
    return 0;
  }
  sin.sin_addr.S_addr = e.inet_addr(host.c_str());
  if (sin.sin_addr.S_addr != ws::kInAddrNone) return 0;
  const THostEnt* entry = e.gethostbyname(host.c_str());
  const int error = e.WSAGetLastError();
  sin.sin_addr.S_addr = 0;
  if (FirstIp4Address(entry, sin.sin_addr)) return 0;
  // A failed lookup is never reported as success, whatever the last error says.
  return error != 0 ? error : ws::kWsaHostNotFound;
}

std::string NumericHost(const TSockAddr* addr, int length) {
  const SocketEntries& e = Entries();
  char host[ws::kNiMaxHost] = {};
  char service[ws::kNiMaxServ] = {};
  if (!e.getnameinfo ||
      e.getnameinfo(addr, length, host, sizeof host, service, sizeof service, kNumericFlags) != 0) {
    return {};
  }
  return host;
}

std::string Ip4Text(const char* bytes) {
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", static_cast<std::uint8_t>(bytes[0]),
                static_cast<std::uint8_t>(bytes[1]), static_cast<std::uint8_t>(bytes[2]),
                static_cast<std::uint8_t>(bytes[3]));
  return text;
}

}  // namespace

int ResolveSin(TVarSin& sin, std::string_view host, std::string_view port, int family, int protocol,
               int socket_type, bool prefer_ip4) {
  sin = TVarSin{};
  const std::string host_text(host);
  const std::string port_text(port);
  if (UsesAddrInfoApi(family)) {
    return ResolveWithAddrInfo(sin, host_text, port_text, family, protocol, socket_type,
                               prefer_ip4);
  }
  return ResolveClassic(sin, host_text, port_text, protocol);
}

std::string SinToIP(const TVarSin& sin) {
  if (!UsesAddrInfoApi(sin.AddressFamily)) {
    const SocketEntries& e = Entries();
    const char* text = e.inet_ntoa ? e.inet_ntoa(sin.sin_addr) : nullptr;
    return text ? std::string(text) : std::string();
  }
  return NumericHost(reinterpret_cast<const TSockAddr*>(&sin), SinLength(sin));
}

std::uint16_t SinToPort(const TVarSin& sin) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&sin.sin_port);
  return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

namespace {

void ClassicNameToIPs(const std::string& name, std::vector<std::string>& list) {
  const SocketEntries& e = Entries();
  if (!e.inet_addr || !e.gethostbyname) return;
  if (e.inet_addr(name.c_str()) != ws::kInAddrNone) {
    list.push_back(name);
    return;
  }
  std::lock_guard<std::mutex> guard(Binding().lock);
  const THostEnt* entry = e.gethostbyname(name.c_str());
  if (!entry || entry->h_addrtype != ws::kAfInet || entry->h_length != 4 || !entry->h_addr_list)
    return;
  for (char** address = entry->h_addr_list; *address; ++address) list.push_back(Ip4Text(*address));
}

void AddrInfoNameToIPs(const std::string& name, int family, int protocol, int socket_type,
                       std::vector<std::string>& list) {
  AddrInfoList addresses;
  if (addresses.Query(name.c_str(), nullptr, Hints(0, 0, protocol, socket_type)) != 0) return;
  for (const TAddrInfo* entry = addresses.First(); entry; entry = entry->ai_next) {
    if ((family == ws::kAfInet6 && entry->ai_family == ws::kAfInet) ||
        (family == ws::kAfInet && entry->ai_family == ws::kAfInet6)) {
      continue;
    }
    const std::string host = NumericHost(entry->ai_addr, static_cast<int>(entry->ai_addrlen));
    if (!host.empty()) list.push_back(host);
  }
}

}  // namespace

void LookupNameToIPs(std::string_view name, int family, int protocol, int socket_type,
                     std::vector<std::string>& list) {
  list.clear();
  const std::string name_text(name);
  if (UsesAddrInfoApi(family)) {
    AddrInfoNameToIPs(name_text, family, protocol, socket_type, list);
  } else {
    ClassicNameToIPs(name_text, list);
  }
  if (list.empty()) list.push_back("0.0.0.0");
}

std::uint16_t LookupPort(std::string_view port, int family, int protocol, int socket_type) {
  const std::string port_text(port);
  const SocketEntries& e = Entries();
  if (!UsesAddrInfoApi(family)) {
    if (!e.getprotobynumber || !e.getservbyname || !e.ntohs) return 0;
    std::lock_guard<std::mutex> guard(Binding().lock);
    const TProtoEnt* proto = e.getprotobynumber(protocol);
    const TServEnt* service = proto ? e.getservbyname(port_text.c_str(), proto->p_name) : nullptr;
    if (service) return e.ntohs(static_cast<std::uint16_t>(service->s_port));
    return static_cast<std::uint16_t>(TextToIntDef(port_text, 0));
  }
  AddrInfoList list;
  if (list.Query(nullptr, port_text.c_str(), Hints(ws::kAiPassive, 0, protocol, socket_type)) != 0)
    return 0;
  const TAddrInfo* first = list.First();
  if (!first || !first->ai_addr) return 0;
  TVarSin sin;
  SinFromAddrInfo(sin, *first);
  return sin.AddressFamily == ws::kAfInet || sin.AddressFamily == ws::kAfInet6 ? SinToPort(sin) : 0;
}

std::string LookupIPToName(std::string_view ip, int family, int protocol, int socket_type) {
  const std::string text(ip);
  const SocketEntries& e = Entries();
  if (!UsesAddrInfoApi(family)) {
    if (!e.inet_addr || !e.gethostbyaddr) return text;
    const std::uint32_t address = e.inet_addr(text.c_str());
    if (address == ws::kInAddrNone) return text;
    std::lock_guard<std::mutex> guard(Binding().lock);
    const THostEnt* entry =
        e.gethostbyaddr(reinterpret_cast<const char*>(&address), 4, ws::kAfInet);
    return entry && entry->h_name ? std::string(entry->h_name) : text;
  }
  AddrInfoList list;
  if (list.Query(text.c_str(), nullptr, Hints(0, 0, protocol, socket_type)) != 0 || !list.First())
    return text;
  const TAddrInfo* first = list.First();
  char host[ws::kNiMaxHost] = {};
  char service[ws::kNiMaxServ] = {};
  if (!e.getnameinfo ||
      e.getnameinfo(first->ai_addr, static_cast<int>(first->ai_addrlen), host, sizeof host, service,
                    sizeof service, ws::kNiNumericServ) != 0) {
    return text;
  }
  return host;
}

}  // namespace ov
