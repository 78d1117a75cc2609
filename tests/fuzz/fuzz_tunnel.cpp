// An HTTP proxy's answer to CONNECT, from the fuzzer, read by TTCPBlockSocket's real tunnel path
// over a loopback connection, then whatever follows it read as the tunnelled stream.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/loopback_feeder.h"
#include "net/tcp_block_socket.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ov::fuzzing::LoopbackFeeder& feeder = ov::fuzzing::SharedFeeder();
  feeder.Serve(std::string(reinterpret_cast<const char*>(data), size));
  {
    ov::TTCPBlockSocket socket;
    socket.HTTPTunnelIP = "127.0.0.1";
    socket.HTTPTunnelPort = feeder.PortText();
    socket.HTTPTunnelUser = "user";
    socket.HTTPTunnelPass = "secret";
    socket.HTTPTunnelTimeout = 1000;
    socket.Connect("127.0.0.1", "443");
    if (socket.LastError() == 0) socket.RecvPacket(100);
    socket.CloseSocket();
  }
  feeder.Finish();
  return 0;
}
