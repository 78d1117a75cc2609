// Request head of THTTPSend: generated lines in their fixed order, then the caller's lines.
#include <string>
#include <vector>

#include "net/ansi.h"
#include "net/codec.h"
#include "net/ip_text.h"
#include "protocols/http_send.h"
#include "protocols/http_text.h"

namespace ov {

void THTTPSend::BuildRequestHead(std::string_view method, const HttpTarget& target, bool has_body,
                                 bool expect100) {
  const std::string prot = UpperAscii(target.Prot);
  const std::string host_text = IsIP6Text(target.Host) ? "[" + target.Host + "]" : target.Host;

  std::string uri = target.URI;
  if (FUseProxy) uri = target.Prot + "://" + host_text + ":" + target.Port + uri;
  if (uri == "/*") uri = "*";
  std::string request_line = UpperAscii(method) + " " + uri;
  if (Protocol != "0.9") request_line += " HTTP/" + Protocol;

  std::vector<std::string> lines;  // in wire order
  lines.push_back(request_line);
  const bool default_port = (prot == "HTTP" && target.Port == "80") ||
                            (prot == "HTTPS" && target.Port == "443") ||
                            (prot != "HTTP" && prot != "HTTPS");
  if (AddPortNumberToHost && !default_port) {
    lines.push_back("Host: " + host_text + ":" + target.Port);
  } else {
    lines.push_back("Host: " + host_text);
  }
  if (FUseProxy && !ProxyUser.empty()) {
    lines.push_back("Proxy-Authorization: Basic " +
                    ToBase64(Utf8ToAnsi(ProxyUser + ":" + ProxyPass)));
  }
  if (!target.User.empty()) lines.push_back("Authorization: Basic " + ToBase64(target.Credentials));
  const std::string prefix = FUseProxy ? "Proxy-" : "";
  if (KeepAlive) {
    lines.push_back("Keep-Alive: " + std::to_string(KeepAliveTimeout));
    lines.push_back(prefix + "Connection: keep-alive");
  } else {
    lines.push_back(prefix + "Connection: close");
  }
  if (!FCookies.empty()) {
    std::string cookie = "Cookie: ";
    for (std::size_t i = 0; i < FCookies.size(); ++i) {
      if (i > 0) cookie += "; ";
      cookie += FCookies[i];
    }
    lines.push_back(cookie);
  }
  if (RangeStart > 0 || RangeEnd > 0) {
    std::string range = "Range: bytes=" + std::to_string(RangeStart) + "-";
    if (RangeEnd >= RangeStart) range += std::to_string(RangeEnd);
    lines.push_back(range);
  }
  if (!UserAgent.empty()) lines.push_back("User-Agent: " + UserAgent);
  if (has_body) {
    if (!MimeType.empty()) lines.push_back("Content-Type: " + MimeType);
    lines.push_back("Content-Length: " + std::to_string(RequestStream().Size()));
  }
  if (expect100) lines.push_back("Expect: 100-continue");
  FHeaders.insert(FHeaders.begin(), lines.begin(), lines.end());
}

std::string THTTPSend::HeaderBlock() const {
  std::string block;
  for (const std::string& line : FHeaders) {
    block += Utf8ToAnsi(line);
    block += "\r\n";
    if (Protocol == "0.9") break;
  }
  return block;
}

}  // namespace ov
