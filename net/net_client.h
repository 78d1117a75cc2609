// Base of the protocol clients: where to connect, from which local interface, how long to wait
// and with which credentials. The clients set their own defaults in their constructors.
#pragma once

#include <cstdint>
#include <string>

namespace ov {

class TNetClient {
 public:
  TNetClient() = default;
  virtual ~TNetClient() = default;

  std::string TargetHost = "127.0.0.1";
  std::string TargetPort = "0";
  std::string IPInterface = "0.0.0.0";  // local address bound before connecting
  std::int32_t Timeout = 5000;          // milliseconds
  std::string UserName;
  std::string Password;
};

}  // namespace ov
