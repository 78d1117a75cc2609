// Settings types of the TLS slot: the protocol choice a plug-in reads and the certificate-check
// event a plug-in may call.
#pragma once

#include <cstdint>
#include <functional>

namespace ov {

class TCustomSSL;

// Protocol a TLS plug-in should speak; only stored and copied by the socket.
enum class TSSLType : std::uint8_t {
  LT_all = 0,
  LT_SSLv2 = 1,
  LT_SSLv3 = 2,
  LT_TLSv1 = 3,
  LT_TLSv1_1 = 4,
  LT_TLSv1_2 = 5,
  LT_TLSv1_3 = 6,
  LT_SSHv2 = 7,
};

// A plug-in's certificate check; the socket stores it and never calls it.
using THookVerifyCert = std::function<bool(TCustomSSL& Sender)>;

}  // namespace ov
