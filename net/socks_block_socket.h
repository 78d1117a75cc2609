// TSocksBlockSocket: the client side of SOCKS 4, 4a and 5 on top of the blocking socket —
// greeting with optional user name and password, CONNECT and BIND requests for IPv4, IPv6 or
// host-name targets, and reply decoding. The connection to the proxy is the caller's (see
// TTCPBlockSocket); every reply read waits at most SocksTimeout.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net/block_socket.h"
#include "net/socks_block_socket_wire.h"

namespace ov {

class TSocksBlockSocket : public TBlockSocket {
 public:
  TSocksBlockSocket() = default;

  std::string SocksIP;  // proxy host; empty = no SOCKS
  std::string SocksPort = "1080";
  std::int32_t SocksTimeout = 60000;  // ms, for each reply read
  std::string SocksUsername;          // also the SOCKS 4 user id
  std::string SocksPassword;
  bool SocksResolver = true;  // true: names go to the proxy; false: resolved here first
  TSocksType SocksType = TSocksType::ST_Socks5;

  // Set by a successful SocksOpen; cleared when the next SocksOpen starts.
  bool UsingSocks() const { return using_socks_; }
  // Reply code of the last reply; -1 while none was read.
  std::int32_t SocksLastError() const { return socks_last_error_; }

  // Greeting and, for SOCKS 5, authentication. False without sending anything when a user name
  // or password is longer than its length byte can count.
  bool SocksOpen();
  // Sends one request (Cmd 1 connect, 2 bind); true when sending did not fail. A SOCKS 5 host
  // name longer than 255 bytes fails with 10091 and sends nothing.
  bool SocksRequest(std::uint8_t Cmd, std::string_view IP, std::string_view Port);
  // Reads and decodes one reply; true for a granted request (code 0 or 90).
  bool SocksResponse();

 protected:
  // Address-and-port bytes of a request; empty when they cannot be encoded.
  std::optional<std::string> SocksEncodeAddress(std::string_view IP, std::string_view Port);
  // Fills the reply address and port from a complete reply.
  void SocksDecodeAddress(std::string_view reply);

  bool using_socks_ = false;
  std::int32_t socks_last_error_ = 0;
  std::string socks_response_ip_;
  std::string socks_response_port_;
  std::string socks_local_ip_;
  std::string socks_local_port_;
  std::string socks_remote_ip_;
  std::string socks_remote_port_;

 private:
  std::string ReadSocks4Reply();
  std::string ReadSocks5Reply();
};

}  // namespace ov
