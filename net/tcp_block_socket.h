// TTCPBlockSocket: the TCP stream socket of the protocol clients. Connects directly, through a
// SOCKS proxy (SocksIP) or through an HTTP proxy's CONNECT tunnel (HTTPTunnelIP); reports the
// addresses as seen through the proxy; listens and accepts through SOCKS BIND; closes
// gracefully (shutdown of the sending side, then draining); and routes sends and receives
// through its TLS plug-in while that plug-in reports TLS as active.
// Connect leaves LastError 0 exactly when the stream to the target is ready.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "net/socks_block_socket.h"
#include "net/ssl_custom.h"

namespace ov {

// Fired after a successful Connect (direct, SOCKS or tunnel).
using THookAfterConnect = std::function<void(TBlockSocket& Sender)>;

class TTCPBlockSocket : public TSocksBlockSocket {
 public:
  // With the process-wide DefaultSSLPlugin.
  TTCPBlockSocket();
  // CreateWithSSL: with a plug-in of the given class, owned by this socket.
  explicit TTCPBlockSocket(TSSLClass SSLPlugin);
  // Closes gracefully, then frees the plug-in.
  ~TTCPBlockSocket() override;

  THookAfterConnect OnAfterConnect;

  TCustomSSL& SSL() const { return *ssl_; }

  std::string HTTPTunnelIP;  // HTTP proxy host; empty = no tunnel
  std::string HTTPTunnelPort;
  std::string HTTPTunnelUser;
  std::string HTTPTunnelPass;
  std::int32_t HTTPTunnelTimeout = 30000;  // ms, for each line of the proxy's answer
  // Whether the last tunnel negotiation succeeded.
  bool HTTPTunnel() const { return http_tunnel_; }

  void CloseSocket() override;
  void Connect(std::string_view ip, std::string_view port) override;
  void Listen() override;
  TSocket Accept() override;

  void SSLDoConnect();
  bool SSLAcceptConnection();
  void SSLDoShutdown();

  std::int32_t SendBuffer(const void* buffer, std::int32_t length) override;
  std::int32_t RecvBuffer(void* buffer, std::int32_t length) override;
  std::int32_t WaitingData() override;

  std::string GetLocalSinIP() override;
  std::string GetRemoteSinIP() override;
  std::int32_t GetLocalSinPort() override;
  std::int32_t GetRemoteSinPort() override;
  std::int32_t GetSocketType() override;
  std::int32_t GetSocketProtocol() override;
  // The plug-in's text for 10091 when the plug-in has recorded an error.
  std::string GetErrorDescEx() override;

 protected:
  void FireAfterConnect();
  void ConnectViaSocks(std::string_view ip, std::string_view port);
  void ConnectViaHTTPTunnel(std::string_view ip, std::string_view port);

 private:
  void SendTunnelRequest(const std::string& target);
  void ReadTunnelAnswer();
  std::int32_t SSLSendBuffer(const char* buffer, std::int32_t length);
  std::int32_t SSLRecvBuffer(void* buffer, std::int32_t length);

  std::unique_ptr<TCustomSSL> ssl_;
  bool http_tunnel_ = false;
  std::string tunnel_remote_ip_;
  std::string tunnel_remote_port_;
};

}  // namespace ov
