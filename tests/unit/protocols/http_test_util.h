// Helpers shared by the HTTP client tests: URLs of a scripted peer and canned responses.
#pragma once

#include <string>

#include "support/scripted_peer.h"

namespace ov::testing {

inline std::string PeerUrl(const ScriptedPeer& peer, const std::string& path) {
  const std::string host = peer.Host().find(':') != std::string::npos ? "[" + peer.Host() + "]"
                                                                     : peer.Host();
  return "http://" + host + ":" + peer.PortText() + path;
}

// "Host: 127.0.0.1:<port>"
inline std::string PeerHostLine(const ScriptedPeer& peer) {
  return "Host: " + peer.Host() + ":" + peer.PortText() + "\r\n";
}

inline std::string SizedResponse(const std::string& body, const std::string& extra = "") {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extra +
         "\r\n" + body;
}

}  // namespace ov::testing
