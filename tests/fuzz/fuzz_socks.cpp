// A SOCKS 4/5 proxy's replies, from the fuzzer, read by TTCPBlockSocket's real connect path over a
// loopback connection. The first byte picks the version and whether credentials are offered;
// the rest is what the proxy sends.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/loopback_feeder.h"
#include "net/tcp_block_socket.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t choice = data[0];
  ov::fuzzing::LoopbackFeeder& feeder = ov::fuzzing::SharedFeeder();
  feeder.Serve(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  {
    ov::TTCPBlockSocket socket;
    socket.SocksIP = "127.0.0.1";
    socket.SocksPort = feeder.PortText();
    socket.SocksType = (choice & 1) ? ov::TSocksType::ST_Socks4 : ov::TSocksType::ST_Socks5;
    if (choice & 2) {
      socket.SocksUsername = "user";
      socket.SocksPassword = "secret";
    }
    socket.SocksTimeout = 1000;
    // The target is only named to the proxy; nothing connects to it.
    socket.Connect((choice & 4) ? "::1" : "127.0.0.1", "80");
    if (socket.LastError() == 0) socket.RecvPacket(100);
    socket.CloseSocket();
  }
  feeder.Finish();
  return 0;
}
