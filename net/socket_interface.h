// Start-up and shut-down of the process's socket interface: binding "ws2_32.dll" (the C
// library's sockets elsewhere) and WSAStartup at program start, WSACleanup and the release at
// the end.
//
// The program entry holds a SocketInterfaceGuard for its whole run, created before any socket.
// Code that runs without such an entry (test binaries, tools) need do nothing: the first
// TBlockSocket created calls EnsureSocketInterface, which starts the interface once for the
// rest of the process and stops it at process exit.
#pragma once

namespace ov {

// Binds and starts the interface. Throws ESocketError with "Error loading Socket interface
// (ws2_32.dll)!" as message and ErrorMessage when the library cannot be bound (ErrorCode 0)
// or WSAStartup fails (ErrorCode = its result; the binding is released again).
void StartSocketInterface();
// WSACleanup, then the release of the binding. Pairs with one StartSocketInterface.
void StopSocketInterface();

// Starts the interface unless a guard (or an earlier call) already did; throws as
// StartSocketInterface does.
void EnsureSocketInterface();

// Holds the interface started for its lifetime.
class SocketInterfaceGuard {
 public:
  SocketInterfaceGuard();
  ~SocketInterfaceGuard();
  SocketInterfaceGuard(const SocketInterfaceGuard&) = delete;
  SocketInterfaceGuard& operator=(const SocketInterfaceGuard&) = delete;
};

}  // namespace ov
