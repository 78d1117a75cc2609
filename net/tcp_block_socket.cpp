#include "net/tcp_block_socket.h"

#include <algorithm>

#include "net/ansi.h"
#include "net/codec.h"
#include "net/ip_text.h"
#include "net/text_to_int.h"

namespace ov {
namespace {

// A hostile proxy must not make the answer reader grow without bound.
constexpr std::int32_t kTunnelLineLimit = 1024 * 1024;

}  // namespace

TTCPBlockSocket::TTCPBlockSocket() : TTCPBlockSocket(DefaultSSLPlugin) {}

TTCPBlockSocket::TTCPBlockSocket(TSSLClass SSLPlugin) : ssl_(SSLPlugin(this)) {}

TTCPBlockSocket::~TTCPBlockSocket() {
  CloseSocket();
  // The base class closes once more while it is destroyed; nothing is open by then, and the
  // handlers must not see a half-destroyed socket.
  OnStatus = nullptr;
  OnMonitor = nullptr;
  OnReadFilter = nullptr;
  OnHeartbeat = nullptr;
}

void TTCPBlockSocket::FireAfterConnect() {
  if (OnAfterConnect) OnAfterConnect(*this);
}

void TTCPBlockSocket::Connect(std::string_view ip, std::string_view port) {
  if (!SocksIP.empty()) {
    ConnectViaSocks(ip, port);
  } else if (!HTTPTunnelIP.empty()) {
    ConnectViaHTTPTunnel(ip, port);
  } else {
    TSocksBlockSocket::Connect(ip, port);
  }
  if (LastError() == 0) FireAfterConnect();
}

void TTCPBlockSocket::ConnectViaSocks(std::string_view ip, std::string_view port) {
  TSocksBlockSocket::Connect(SocksIP, SocksPort);
  if (LastError() == 0) {
    bool ok = SocksOpen();
    if (ok) ok = SocksRequest(1, ip, port);
    if (ok) ok = SocksResponse();
    if (!ok && LastError() == 0) SetLastError(ws::kWsaSysNotReady);
    socks_local_ip_ = socks_response_ip_;
    socks_local_port_ = socks_response_port_;
    socks_remote_ip_ = std::string(ip);
    socks_remote_port_ = std::string(port);
  }
  ExceptCheck();
  FireStatus(HR_Connect, std::string(ip) + ":" + std::string(port));
}

void TTCPBlockSocket::ConnectViaHTTPTunnel(std::string_view ip, std::string_view port) {
  const std::string port_number = std::to_string(ResolvePort(port));
  TSocksBlockSocket::Connect(HTTPTunnelIP, HTTPTunnelPort);
  if (LastError() != 0) return;
  http_tunnel_ = false;
  const std::string target = IsIP6Text(ip) ? "[" + std::string(ip) + "]" : std::string(ip);
  SendTunnelRequest(target + ":" + port_number);
  if (LastError() == 0) ReadTunnelAnswer();
  // A status line followed by a broken answer is no tunnel either.
  if (LastError() != 0) http_tunnel_ = false;
  if (LastError() == 0 && !http_tunnel_) SetLastError(ws::kWsaEConnRefused);
  tunnel_remote_ip_ = target;
  tunnel_remote_port_ = port_number;
  ExceptCheck();
}

void TTCPBlockSocket::SendTunnelRequest(const std::string& target) {
  SendString("CONNECT " + Utf8ToAnsi(target) + " HTTP/1.0\r\n");
  if (LastError() == 0 && !HTTPTunnelUser.empty()) {
    const std::string credentials = Utf8ToAnsi(HTTPTunnelUser + ":" + HTTPTunnelPass);
    SendString("Proxy-Authorization: Basic " + ToBase64(credentials) + "\r\n");
  }
  if (LastError() == 0) SendString("\r\n");
}

// Reads the proxy's answer up to its empty line; a 2xx status line opens the tunnel.
void TTCPBlockSocket::ReadTunnelAnswer() {
  const std::int32_t saved_limit = MaxLineLength;
  if (MaxLineLength <= 0 || MaxLineLength > kTunnelLineLimit) MaxLineLength = kTunnelLineLimit;
  while (true) {
    const std::string line = RecvTerminated(HTTPTunnelTimeout, "\n");
    if (LastError() != 0) break;
    if (line.size() > 11 && line.compare(0, 5, "HTTP/") == 0) http_tunnel_ = line[9] == '2';
    if (line.empty() || line == "\r") break;
  }
  MaxLineLength = saved_limit;
}

void TTCPBlockSocket::Listen() {
  if (SocksIP.empty()) {
    TSocksBlockSocket::Listen();
    return;
  }
  std::string local = GetLocalSinIP();
  if (local == "0.0.0.0") local = LocalName();
  const std::string port = std::to_string(GetLocalSinPort());
  TSocksBlockSocket::Connect(SocksIP, SocksPort);
  bool ok = SocksOpen();
  if (ok) ok = SocksRequest(2, local, port);
  if (ok) ok = SocksResponse();
  if (!ok && LastError() == 0) SetLastError(ws::kWsaNoRecovery);
  socks_local_ip_ = socks_response_ip_ == "0.0.0.0" ? SocksIP : socks_response_ip_;
  socks_local_port_ = socks_response_port_;
  socks_remote_ip_.clear();
  socks_remote_port_.clear();
  ExceptCheck();
  FireStatus(HR_Listen, "");
}

TSocket TTCPBlockSocket::Accept() {
  if (!UsingSocks()) return TSocksBlockSocket::Accept();
  // The proxy's second reply says the peer has connected; this connection now carries it.
  const bool ok = SocksResponse();
  if (!ok && LastError() == 0) SetLastError(ws::kWsaNoRecovery);
  socks_remote_ip_ = socks_response_ip_;
  socks_remote_port_ = socks_response_port_;
  ExceptCheck();
  FireStatus(HR_Accept, "");
  return Socket();
}

void TTCPBlockSocket::CloseSocket() {
  if (ssl_->SSLEnabled()) ssl_->Shutdown();
  if (Socket() != ws::kInvalidSocket && LastError() == 0) {
    if (Entries().shutdown) Entries().shutdown(Socket(), ws::kSdSend);
    Purge();
  }
  TSocksBlockSocket::CloseSocket();
}

void TTCPBlockSocket::SSLDoConnect() {
  ResetLastError();
  if (!ssl_->Connect()) SetLastError(ws::kWsaSysNotReady);
  ExceptCheck();
}

bool TTCPBlockSocket::SSLAcceptConnection() {
  ResetLastError();
  if (!ssl_->Accept()) SetLastError(ws::kWsaSysNotReady);
  ExceptCheck();
  return LastError() == 0;
}

void TTCPBlockSocket::SSLDoShutdown() {
  ResetLastError();
  ssl_->BiShutdown();
}

std::int32_t TTCPBlockSocket::SendBuffer(const void* buffer, std::int32_t length) {
  if (!ssl_->SSLEnabled()) return TSocksBlockSocket::SendBuffer(buffer, length);
  return SSLSendBuffer(static_cast<const char*>(buffer), length);
}

std::int32_t TTCPBlockSocket::SSLSendBuffer(const char* buffer, std::int32_t length) {
  if (CheckStopFlag()) return 0;
  ResetLastError();
  FireMonitor(true, buffer, length);
  std::int32_t sent = 0;
  while (sent < length) {
    const std::int32_t piece = std::min(length - sent, SendMaxChunk);
    if (piece <= 0) break;
    ThrottleBandwidth(piece, MaxSendBandwidth, next_send_time_);
    const std::int32_t r = ssl_->SendBuffer(buffer + sent, piece);
    // A plug-in that neither sends nor reports an error would otherwise loop for ever.
    if (ssl_->LastError() != 0 || r <= 0) SetLastError(ws::kWsaSysNotReady);
    if (LastError() != 0) break;
    sent += r;
    send_counter_ += r;
    FireStatus(HR_WriteCount, std::to_string(r));
  }
  ExceptCheck();
  return sent;
}

std::int32_t TTCPBlockSocket::RecvBuffer(void* buffer, std::int32_t length) {
  if (!ssl_->SSLEnabled()) return TSocksBlockSocket::RecvBuffer(buffer, length);
  return SSLRecvBuffer(buffer, length);
}

std::int32_t TTCPBlockSocket::SSLRecvBuffer(void* buffer, std::int32_t length) {
  if (CheckStopFlag()) return 0;
  ResetLastError();
  ThrottleBandwidth(length, MaxRecvBandwidth, next_recv_time_);
  std::int32_t r = ssl_->RecvBuffer(buffer, length);
  if (ssl_->LastError() != 0) SetLastError(ws::kWsaSysNotReady);
  ExceptCheck();
  // A failed or empty read delivers nothing: it must not shrink the counter or reach handlers.
  if (r > 0) DeliverReceived(buffer, r);
  return r;
}

std::int32_t TTCPBlockSocket::WaitingData() {
  std::int32_t waiting = 0;
  if (ssl_->SSLEnabled() && Socket() != ws::kInvalidSocket) waiting = ssl_->WaitingData();
  if (waiting == 0) waiting = TSocksBlockSocket::WaitingData();
  return waiting;
}

std::string TTCPBlockSocket::GetLocalSinIP() {
  if (UsingSocks()) return socks_local_ip_;
  return TSocksBlockSocket::GetLocalSinIP();
}

std::string TTCPBlockSocket::GetRemoteSinIP() {
  if (UsingSocks()) return socks_remote_ip_;
  if (http_tunnel_) return tunnel_remote_ip_;
  return TSocksBlockSocket::GetRemoteSinIP();
}

std::int32_t TTCPBlockSocket::GetLocalSinPort() {
  if (UsingSocks()) return TextToIntDef(socks_local_port_, 0);
  return TSocksBlockSocket::GetLocalSinPort();
}

std::int32_t TTCPBlockSocket::GetRemoteSinPort() {
  if (UsingSocks()) return ResolvePort(socks_remote_port_);
  if (http_tunnel_) return TextToIntDef(tunnel_remote_port_, 0);
  return TSocksBlockSocket::GetRemoteSinPort();
}

std::int32_t TTCPBlockSocket::GetSocketType() { return ws::kSockStream; }

std::int32_t TTCPBlockSocket::GetSocketProtocol() { return ws::kIpProtoTcp; }

std::string TTCPBlockSocket::GetErrorDescEx() {
  if (LastError() == ws::kWsaSysNotReady && ssl_->LastError() != 0) return ssl_->LastErrorDesc();
  return TSocksBlockSocket::GetErrorDescEx();
}

}  // namespace ov
