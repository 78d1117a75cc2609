#include "net/datagram_socket.h"

namespace ov {

std::int32_t TUDPBlockSocket::GetSocketType() { return ws::kSockDgram; }

std::int32_t TUDPBlockSocket::GetSocketProtocol() { return ws::kIpProtoUdp; }

}  // namespace ov
