#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "net/ip_text.h"
#include "net/socket_binding.h"
#include "support/bound_sockets.h"

namespace ov {
namespace {

// A name under the reserved ".invalid" domain never resolves.
constexpr char kNoSuchHost[] = "no-such-host.invalid";

std::string AddressText(const TVarSin& sin) {
  if (sin.AddressFamily == ws::kAfInet) {
    return std::to_string(sin.sin_addr.S_bytes[0]) + "." + std::to_string(sin.sin_addr.S_bytes[1]) +
           "." + std::to_string(sin.sin_addr.S_bytes[2]) + "." +
           std::to_string(sin.sin_addr.S_bytes[3]);
  }
  TIP6Address bytes;
  for (int i = 0; i < 16; ++i) bytes[i] = sin.sin6_addr.u6_addr8[i];
  return IP6BytesToText(bytes);
}

bool IsAllZero(const TVarSin& sin) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&sin);
  for (std::size_t i = 0; i < sizeof sin; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

struct ResolveCase {
  const char* host;
  const char* port;
  int family;
  bool prefer_ip4;
  int want_family;
  const char* want_address;
  std::uint16_t want_port;
};

void ExpectResolves(const ResolveCase& c, int socket_type = ws::kSockStream) {
  TVarSin sin;
  ASSERT_EQ(ResolveSin(sin, c.host, c.port, c.family, ws::kIpProtoTcp, socket_type, c.prefer_ip4),
            0);
  EXPECT_EQ(sin.AddressFamily, c.want_family);
  EXPECT_EQ(AddressText(sin), c.want_address);
  EXPECT_EQ(SinToPort(sin), c.want_port);
}

class ResolveTest : public ::testing::Test {
  testing::BoundSockets bound_;
};

TEST_F(ResolveTest, SpecialLiteralsSelectWildcardOrLoopbackOfTheFamily) {
  const ResolveCase cases[] = {
      {"0.0.0.0", "21", ws::kAfUnspec, true, ws::kAfInet, "0.0.0.0", 21},
      {"0.0.0.0", "21", ws::kAfInet6, true, ws::kAfInet6, "::0", 21},
      {"::0", "80", ws::kAfInet6, false, ws::kAfInet6, "::0", 80},
      {"::0", "80", ws::kAfInet, false, ws::kAfInet, "0.0.0.0", 80},
      {"127.0.0.1", "8080", ws::kAfInet6, true, ws::kAfInet6, "::1", 8080},
      {"127.0.0.1", "8080", ws::kAfInet, true, ws::kAfInet, "127.0.0.1", 8080},
      {"::1", "25", ws::kAfInet6, true, ws::kAfInet6, "::1", 25},
      {"::1", "25", ws::kAfInet, true, ws::kAfInet, "127.0.0.1", 25},
      // Family 0: the first pass takes the preferred family.
      {"127.0.0.1", "1", ws::kAfUnspec, false, ws::kAfInet6, "::1", 1},
      {"::1", "1", ws::kAfUnspec, true, ws::kAfInet, "127.0.0.1", 1},
  };
  for (const ResolveCase& c : cases) {
    SCOPED_TRACE(std::string(c.host) + " family " + std::to_string(c.family));
    ExpectResolves(c);
  }
}

TEST_F(ResolveTest, OrdinaryHostsAndTheFamilyPreference) {
  const ResolveCase cases[] = {
      {"localhost", "80", ws::kAfInet, true, ws::kAfInet, "127.0.0.1", 80},
      {"127.0.0.2", "80", ws::kAfInet, true, ws::kAfInet, "127.0.0.2", 80},
      // Only an IPv4 address: the IPv6 pass fails and the IPv4 pass fills the record.
      {"127.0.0.2", "80", ws::kAfUnspec, false, ws::kAfInet, "127.0.0.2", 80},
      // Only an IPv6 address: the preferred IPv4 pass fails.
      {"fe80::1:2", "80", ws::kAfUnspec, true, ws::kAfInet6, "fe80::1:2", 80},
      {"2001:db8::7", "443", ws::kAfInet6, true, ws::kAfInet6, "2001:db8::7", 443},
  };
  for (const ResolveCase& c : cases) {
    SCOPED_TRACE(std::string(c.host) + " family " + std::to_string(c.family));
    ExpectResolves(c);
  }
}

TEST_F(ResolveTest, ServiceNamesAndRawSockets) {
  ExpectResolves({"127.0.0.2", "http", ws::kAfInet, true, ws::kAfInet, "127.0.0.2", 80});
  ExpectResolves({"127.0.0.2", "8080", ws::kAfInet, true, ws::kAfInet, "127.0.0.2", 0},
                 ws::kSockRaw);
  EXPECT_EQ(LookupPort("http", ws::kAfInet, ws::kIpProtoTcp, ws::kSockStream), 80);
  EXPECT_EQ(LookupPort("8080", ws::kAfInet, ws::kIpProtoTcp, ws::kSockStream), 8080);
  EXPECT_EQ(LookupPort("no-such-service", ws::kAfInet, ws::kIpProtoTcp, ws::kSockStream), 0);
  // The address-information interface judges a port text itself.
  TVarSin sin;
  EXPECT_NE(ResolveSin(sin, "127.0.0.2", "no-such-service", ws::kAfInet, ws::kIpProtoTcp,
                       ws::kSockStream, true),
            0);
}

TEST_F(ResolveTest, UnresolvableHostLeavesAnEmptyRecordAndTheError) {
  for (int family : {ws::kAfUnspec, ws::kAfInet, ws::kAfInet6}) {
    TVarSin sin;
    std::memset(&sin, 0xFF, sizeof sin);
    const int result =
        ResolveSin(sin, kNoSuchHost, "80", family, ws::kIpProtoTcp, ws::kSockStream, family != 0);
    EXPECT_TRUE(result == ws::kWsaHostNotFound || result == ws::kWsaNoData)
        << family << ": " << result;
    EXPECT_TRUE(IsAllZero(sin)) << family;
    EXPECT_EQ(SinToIP(sin), "");
  }
}

TEST_F(ResolveTest, SinToIPAndPortRoundTrip) {
  const struct {
    const char* host;
    int family;
    const char* text;
    const char* port;
  } cases[] = {
      {"127.0.0.2", ws::kAfInet, "127.0.0.2", "8080"},
      {"::1", ws::kAfInet6, "::1", "21"},
      {"0.0.0.0", ws::kAfInet, "0.0.0.0", "0"},
      {"::0", ws::kAfInet6, "::", "65535"},
      {"2001:db8::1:0:0:1", ws::kAfInet6, "2001:db8::1:0:0:1", "443"},
  };
  for (const auto& c : cases) {
    TVarSin sin;
    ASSERT_EQ(ResolveSin(sin, c.host, c.port, c.family, ws::kIpProtoTcp, ws::kSockStream, true), 0)
        << c.host;
    EXPECT_EQ(SinToIP(sin), c.text);
    EXPECT_EQ(std::to_string(SinToPort(sin)), c.port);
  }
}

TEST_F(ResolveTest, NameToIPsFiltersByFamilyAndNeverLeavesTheListEmpty) {
  const struct {
    const char* name;
    int family;
    std::vector<std::string> ips;
  } cases[] = {
      {"127.0.0.2", ws::kAfUnspec, {"127.0.0.2"}}, {"127.0.0.2", ws::kAfInet, {"127.0.0.2"}},
      {"127.0.0.2", ws::kAfInet6, {"0.0.0.0"}},    {"::1", ws::kAfInet6, {"::1"}},
      {"::1", ws::kAfInet, {"0.0.0.0"}},           {"localhost", ws::kAfInet, {"127.0.0.1"}},
      {kNoSuchHost, ws::kAfUnspec, {"0.0.0.0"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> list{"stale"};
    LookupNameToIPs(c.name, c.family, ws::kIpProtoTcp, ws::kSockStream, list);
    EXPECT_EQ(list, c.ips) << c.name << " family " << c.family;
  }
}

TEST_F(ResolveTest, IPToNameFallsBackToTheAddressText) {
  EXPECT_EQ(LookupIPToName("127.0.0.2", ws::kAfInet, ws::kIpProtoTcp, ws::kSockStream),
            "127.0.0.2");
  EXPECT_EQ(LookupIPToName(kNoSuchHost, ws::kAfInet, ws::kIpProtoTcp, ws::kSockStream),
            kNoSuchHost);
}

// Hides the address-information functions from the next load.
struct WithoutAddrInfo {
  WithoutAddrInfo() { SetHiddenEntriesForTesting({"getaddrinfo", "freeaddrinfo", "getnameinfo"}); }
  ~WithoutAddrInfo() { SetHiddenEntriesForTesting({}); }
};

// The classic host-entry interface, as on a system without the address-information functions.
class ClassicResolveTest : public ::testing::Test, private WithoutAddrInfo {
 protected:
  void SetUp() override { ASSERT_FALSE(UsesAddrInfoApi(ws::kAfInet6)); }

 private:
  testing::BoundSockets bound_;  // bound after the functions are hidden
};

TEST_F(ClassicResolveTest, ResolvesIPv4WithPortRules) {
  const ResolveCase cases[] = {
      {"127.0.0.2", "80", ws::kAfInet, true, ws::kAfInet, "127.0.0.2", 80},
      {"127.0.0.2", "0x50", ws::kAfInet, true, ws::kAfInet, "127.0.0.2", 80},
      {"127.0.0.2", "http", ws::kAfInet, true, ws::kAfInet, "127.0.0.2", 80},
      {"127.0.0.2", "no-such-service", ws::kAfInet, true, ws::kAfInet, "127.0.0.2", 0},
      {"255.255.255.255", "9", ws::kAfInet, true, ws::kAfInet, "255.255.255.255", 9},
      {"localhost", "21", ws::kAfInet, true, ws::kAfInet, "127.0.0.1", 21},
      // The family plays no part: the record is always IPv4.
      {"127.0.0.2", "21", ws::kAfInet6, false, ws::kAfInet, "127.0.0.2", 21},
      {"127.0.0.2", "21", ws::kAfUnspec, false, ws::kAfInet, "127.0.0.2", 21},
  };
  for (const ResolveCase& c : cases) {
    SCOPED_TRACE(std::string(c.host) + " port " + c.port);
    ExpectResolves(c);
  }
  TVarSin sin;
  EXPECT_EQ(ResolveSin(sin, kNoSuchHost, "80", ws::kAfInet, ws::kIpProtoTcp, ws::kSockStream, true),
            ws::kWsaHostNotFound);
  EXPECT_EQ(sin.sin_addr.S_addr, 0U);
}

TEST_F(ClassicResolveTest, LookupsAndAddressText) {
  TVarSin sin;
  ASSERT_EQ(ResolveSin(sin, "127.0.0.2", "80", ws::kAfInet, ws::kIpProtoTcp, ws::kSockStream, true),
            0);
  EXPECT_EQ(SinToIP(sin), "127.0.0.2");

  std::vector<std::string> list;
  LookupNameToIPs("127.0.0.2", ws::kAfInet, ws::kIpProtoTcp, ws::kSockStream, list);
  EXPECT_EQ(list, std::vector<std::string>{"127.0.0.2"});
  LookupNameToIPs("localhost", ws::kAfInet, ws::kIpProtoTcp, ws::kSockStream, list);
  EXPECT_EQ(list, std::vector<std::string>{"127.0.0.1"});
  LookupNameToIPs(kNoSuchHost, ws::kAfInet, ws::kIpProtoTcp, ws::kSockStream, list);
  EXPECT_EQ(list, std::vector<std::string>{"0.0.0.0"});

  EXPECT_EQ(LookupPort("http", ws::kAfInet, ws::kIpProtoTcp, ws::kSockStream), 80);
  EXPECT_EQ(LookupPort("0x50", ws::kAfInet, ws::kIpProtoTcp, ws::kSockStream), 80);
  EXPECT_EQ(LookupPort("no-such-service", ws::kAfInet, ws::kIpProtoTcp, ws::kSockStream), 0);
  EXPECT_EQ(LookupIPToName("not-an-address", ws::kAfInet, ws::kIpProtoTcp, ws::kSockStream),
            "not-an-address");
}

}  // namespace
}  // namespace ov
