#include "net/socket_interface.h"

#include <atomic>
#include <mutex>

#include "net/socket_binding.h"
#include "net/socket_errors.h"

namespace ov {
namespace {

constexpr const char* kLoadError = "Error loading Socket interface (ws2_32.dll)!";

std::atomic<int> g_started{0};  // started and not yet stopped, by any route

}  // namespace

void StartSocketInterface() {
  if (!LoadSocketLibrary("ws2_32.dll")) throw ESocketError(0, kLoadError, kLoadError);
  const int result = StartupSocketInterface();
  if (result != 0) {
    ReleaseSocketLibrary();
    throw ESocketError(result, kLoadError, kLoadError);
  }
  ++g_started;
}

void StopSocketInterface() {
  CleanupSocketInterface();
  ReleaseSocketLibrary();
  --g_started;
}

void EnsureSocketInterface() {
  if (g_started > 0) return;
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  if (g_started > 0) return;
  // Held until the process ends.
  static SocketInterfaceGuard guard;
}

SocketInterfaceGuard::SocketInterfaceGuard() { StartSocketInterface(); }

SocketInterfaceGuard::~SocketInterfaceGuard() { StopSocketInterface(); }

}  // namespace ov
