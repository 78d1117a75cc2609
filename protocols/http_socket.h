// The socket THTTPSend owns: a TTCPBlockSocket that also tells the client about a pending
// platform error, which is how a reset is told apart from an orderly close.
#pragma once

#include "net/tcp_block_socket.h"

namespace ov {

class HttpSocket final : public TTCPBlockSocket {
 public:
  // The socket's pending platform error (Winsock numbering), 0 when none.
  using TBlockSocket::PendingSocketError;
};

}  // namespace ov
