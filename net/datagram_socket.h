// TUDPBlockSocket: the blocking socket as a UDP datagram socket. Bind a local address, name the
// peer with SetRemoteSin, then SendBufferTo / RecvBufferFrom (the sender goes to RemoteSin).
#pragma once

#include "net/block_socket.h"

namespace ov {

class TUDPBlockSocket : public TBlockSocket {
 public:
  std::int32_t GetSocketType() override;      // datagram (2)
  std::int32_t GetSocketProtocol() override;  // UDP (17)
};

}  // namespace ov
