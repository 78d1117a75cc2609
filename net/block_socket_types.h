// Enumerations, event types and the queued option record of the blocking socket.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace ov {

class TBlockSocket;

// Address family wanted for a socket; SF_Any lets the peer's address decide.
enum TSocketFamily : std::uint8_t { SF_Any = 0, SF_IP4 = 1, SF_IP6 = 2 };

// Reason passed with every status event.
enum THookSocketReason : std::uint8_t {
  HR_ResolvingBegin = 0,  // IP (or name) and port as passed, "ip:port"
  HR_ResolvingEnd = 1,    // numeric prepared address and port, ":0" when nothing was resolved
  HR_SocketCreate = 2,    // "IPv4" or "IPv6"
  HR_SocketClose = 3,     // empty
  HR_Bind = 4,            // IP and port as passed
  HR_Connect = 5,         // IP and port as passed
  HR_CanRead = 6,         // empty
  HR_CanWrite = 7,        // empty
  HR_Listen = 8,          // empty
  HR_Accept = 9,          // empty
  HR_ReadCount = 10,      // bytes received by one receive call, decimal
  HR_WriteCount = 11,     // bytes sent by one send call, decimal
  HR_Wait = 12,           // throttle sleep in ms, decimal
  HR_Error = 13,          // "code,text", e.g. "10060,Connection timed out"
};

// The reason's name ("HR_Connect"), for logs and test messages.
const char* HookReasonName(THookSocketReason reason);

// Socket options that can be queued before a handle exists.
enum TSocketOptionType : std::uint8_t {
  SOT_Linger = 0,
  SOT_RecvBuff = 1,
  SOT_SendBuff = 2,
  SOT_NonBlock = 3,
  SOT_RecvTimeout = 4,
  SOT_SendTimeout = 5,
  SOT_Reuse = 6,
  SOT_TTL = 7,
  SOT_Broadcast = 8,
  SOT_MulticastTTL = 9,
  SOT_MulticastLoop = 10,
};

// One socket option waiting to be applied.
struct TSocketOption {
  TSocketOptionType Option = SOT_Linger;
  bool Enabled = false;
  std::int32_t Value = 0;
};

// Events; an empty one is skipped. All run synchronously on the thread of the socket call.
using THookSocketStatus =
    std::function<void(TBlockSocket& Sender, THookSocketReason Reason, const std::string& Value)>;
// May rewrite (and shorten, never lengthen) received bytes.
using THookDataFilter = std::function<void(TBlockSocket& Sender, std::string& Value)>;
using THookCreateSocket = std::function<void(TBlockSocket& Sender)>;
// Sees the raw outgoing (Writing) and incoming bytes.
using THookMonitor =
    std::function<void(TBlockSocket& Sender, bool Writing, const void* Buffer, std::int32_t Len)>;
using THookHeartbeat = std::function<void(TBlockSocket& Sender)>;

}  // namespace ov
