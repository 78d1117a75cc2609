// Helpers shared by the HTTP client tests: URLs of a scripted peer and canned responses.
#pragma once

#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "support/scripted_peer.h"

namespace ov::testing {

inline std::string PeerUrl(const ScriptedPeer& peer, const std::string& path) {
  const std::string host =
      peer.Host().find(':') != std::string::npos ? "[" + peer.Host() + "]" : peer.Host();
  return "http://" + host + ":" + peer.PortText() + path;
}

// "Host: 127.0.0.1:<port>"
inline std::string PeerHostLine(const ScriptedPeer& peer) {
  return "Host: " + peer.Host() + ":" + peer.PortText() + "\r\n";
}

// Wine's sockets report a reset after a readiness wait like an orderly close, so what only
// a reset shows cannot be observed there.
inline bool RunningUnderWine() {
#ifdef _WIN32
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

inline std::string SizedResponse(const std::string& body, const std::string& extra = "") {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extra +
         "\r\n" + body;
}

}  // namespace ov::testing
