#include "protocols/http_send.h"

#include "net/ansi.h"
#include "net/codec.h"
#include "net/tcp_block_socket.h"
#include "net/text_to_int.h"
#include "net/text_utils.h"
#include "protocols/http_socket.h"
#include "protocols/http_text.h"

namespace ov {

THTTPSend::THTTPSend() : FSock(std::make_unique<HttpSocket>()) {
  FSock->Owner = this;
  FSock->ConvertLineEnd = true;  // header lines may end in LF alone
  // A hostile server must not make a line reader grow without bound.
  FSock->MaxLineLength = kMaxHeadBytes;
  Timeout = 90000;
  TargetPort = "80";
  Clear();
}

THTTPSend::~THTTPSend() = default;

TTCPBlockSocket& THTTPSend::Sock() { return *FSock; }

Stream& THTTPSend::RequestStream() {
  return InputStream != nullptr ? *InputStream : static_cast<Stream&>(FDocument);
}

Stream& THTTPSend::ResponseStream() {
  return OutputStream != nullptr ? *OutputStream : static_cast<Stream&>(FDocument);
}

void THTTPSend::Clear() {
  RangeStart = 0;
  RangeEnd = 0;
  FDocument.Clear();
  RequestStream().SetSize(0);
  RequestStream().Seek(0);
  ResponseStream().SetSize(0);
  ResponseStream().Seek(0);
  FHeaders.clear();
  MimeType = "text/html";
}

void THTTPSend::Abort() { FSock->StopFlag = true; }

void THTTPSend::DecodeStatus(std::string_view value) {
  const std::string rest = TrimSpaces(TextAfter(value, " "));
  FResultCode = TextToIntDef(TrimSpaces(TextBefore(rest, " ")), 0);
  FResultString =
      rest.find(' ') == std::string::npos ? std::string() : TrimSpaces(TextAfter(rest, " "));
}

bool THTTPSend::OpenConnection(bool use_tls) {
  FSock->CloseSocket();
  FSock->Bind(IPInterface, "0");
  if (FSock->LastError() != 0) return false;
  FSock->Connect(TargetHost, TargetPort);
  if (FSock->LastError() != 0) return false;
  if (use_tls) {
    TCustomSSL& ssl = FSock->SSL();
    if (ssl.SNIHost.empty()) ssl.SNIHost = TargetHost;
    FSock->SSLDoConnect();
    ssl.SNIHost.clear();
    if (FSock->LastError() != 0) return false;
  }
  FAliveHost = TargetHost;
  FAlivePort = TargetPort;
  return true;
}

bool THTTPSend::ReuseOrOpenConnection(bool use_tls) {
  if (FSock->Socket() == ws::kInvalidSocket) return OpenConnection(use_tls);
  // Something readable on an idle connection means the server closed it (or sent garbage).
  if (FAliveHost == TargetHost && FAlivePort == TargetPort && !FSock->CanRead(0)) return true;
  return OpenConnection(use_tls);
}

void THTTPSend::DropConnection() {
  // A connection whose response could not be framed is closed at once: a graceful close
  // would first drain whatever the server still sends.
  if (FConnectionBroken) {
    FSock->AbortSocket();
  } else {
    FSock->CloseSocket();
  }
  FAliveHost.clear();
  FAlivePort.clear();
}

bool THTTPSend::HTTPMethod(std::string_view method, std::string_view url) {
  FResultCode = 500;
  FResultString.clear();
  FDownloadSize = 0;
  FUploadSize = 0;
  FConnectionBroken = false;
  FHeadBytes = 0;
  FEarlyHeadLines.clear();

  const HttpTarget target = SplitRequestUrl(url, UserName, Password);
  const bool https = UpperAscii(target.Prot) == "HTTPS";
  if (https) {
    FSock->HTTPTunnelIP = ProxyHost;
    FSock->HTTPTunnelPort = ProxyPort;
    FSock->HTTPTunnelUser = ProxyUser;
    FSock->HTTPTunnelPass = ProxyPass;
  } else {
    FSock->HTTPTunnelIP.clear();
    FSock->HTTPTunnelPort.clear();
    FSock->HTTPTunnelUser.clear();
    FSock->HTTPTunnelPass.clear();
  }
  FUseProxy = !ProxyHost.empty() && !https;
  const bool has_body = RequestStream().Size() > 0;
  const bool expect100 = Status100 && has_body && Protocol == "1.1";

  BuildRequestHead(method, target, has_body, expect100);
  TargetHost = FUseProxy ? ProxyHost : target.Host;
  TargetPort = FUseProxy ? ProxyPort : target.Port;
  if (FHeaders.back() != "") FHeaders.emplace_back();

  if (!ReuseOrOpenConnection(https)) {
    FAliveHost.clear();
    FAlivePort.clear();
    return false;
  }
  std::string first_line;
  if (!SendRequest(has_body, expect100, first_line)) return false;
  return ReceiveResponse(method, first_line);
}

bool THTTPSend::SendRequest(bool has_body, bool expect100, std::string& first_line) {
  Stream& body = RequestStream();
  body.Seek(0);
  const std::int64_t body_size = body.Size();
  if (expect100) {
    FSock->SendString(HeaderBlock());
    if (FSock->LastError() != 0) return false;
    first_line = ReceiveNonEmptyLine();
    DecodeStatus(AnsiToUtf8(first_line));
    // The header lines of a final answer are kept: they frame its body.
    FEarlyHeadLines.clear();
    while (FSock->LastError() == 0) {
      FEarlyHeadLines.push_back(ReceiveLine());
      if (FEarlyHeadLines.back().empty() || FHeadBytes > kMaxHeadBytes) break;
    }
    if (FSock->LastError() == 0 && FResultCode >= 100 && FResultCode <= 199) {
      first_line.clear();
      FEarlyHeadLines.clear();
      FUploadSize = body_size;
      FSock->SendStreamRaw(body);
    }
  } else if (has_body && body_size >= 65536) {
    FSock->SendString(HeaderBlock());
    FUploadSize = body_size;
    if (FSock->LastError() == 0) FSock->SendStreamRaw(body);
  } else if (has_body) {
    const std::string request =
        HeaderBlock() + ReadBytesFromStream(body, static_cast<std::size_t>(body_size));
    FUploadSize = static_cast<std::int64_t>(request.size());
    FSock->SendString(request);
  } else {
    FSock->SendString(HeaderBlock());
  }
  return FSock->LastError() == 0;
}

}  // namespace ov
