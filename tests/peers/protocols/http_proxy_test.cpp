// THTTPSend through a real HTTP proxy (tinyproxy) to a real nginx: http URLs go to the proxy
// in absolute form; https URLs open a CONNECT tunnel and then stop at the TLS slot.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "net/ssl_custom.h"
#include "net/tcp_block_socket.h"
#include "protocols/http_send.h"
#include "support/nginx_server.h"
#include "support/proxy_servers.h"
#include "support/requirements.h"

namespace ov {
namespace {

using testing::DaemonProcess;
using testing::NginxServer;

class HttpProxy : public ::testing::Test {
 protected:
  void SetUp() override {
    OV_REQUIRE_PROGRAM(nginx, NginxServer::ProgramName(), "nginx-light");
    OV_REQUIRE_PROGRAM(tinyproxy, testing::ProxyProgramName("tinyproxy"), "tinyproxy");
    std::string error;
    server_ = NginxServer::Start(nginx, &error);
    ASSERT_NE(server_, nullptr) << error;
    std::ofstream(server_->Root() + "/via.txt", std::ios::binary) << "through the proxy";
    proxy_ = testing::StartTunnelProxy(tinyproxy, server_->Port(), &error);
    ASSERT_NE(proxy_, nullptr) << error;
  }

  std::unique_ptr<NginxServer> server_;
  std::unique_ptr<DaemonProcess> proxy_;
};

TEST_F(HttpProxy, HttpUrlInAbsoluteForm) {
  THTTPSend http;
  http.ProxyHost = "127.0.0.1";
  http.ProxyPort = proxy_->PortText();
  std::string connected;
  http.Sock().OnStatus = [&connected](TBlockSocket&, THookSocketReason reason,
                                      const std::string& value) {
    if (reason == HR_Connect) connected = value;
  };
  ASSERT_TRUE(http.HTTPMethod("GET", server_->Url("/via.txt"))) << http.Sock().LastErrorDesc();
  EXPECT_EQ(http.ResultCode(), 200);
  EXPECT_EQ(http.Document().Data(), "through the proxy");
  EXPECT_EQ(connected, "127.0.0.1:" + proxy_->PortText());
  // nginx received the request from the proxy, in origin form.
  EXPECT_NE(server_->AccessLog().find("GET /via.txt HTTP/1."), std::string::npos);
}

TEST_F(HttpProxy, HttpsUrlTunnelsThenStopsAtTheTlsSlot) {
  THTTPSend http;
  http.ProxyHost = "127.0.0.1";
  http.ProxyPort = proxy_->PortText();
  const std::string url = "https://127.0.0.1:" + server_->PortText() + "/via.txt";
  EXPECT_FALSE(http.HTTPMethod("GET", url));
  EXPECT_TRUE(http.Sock().HTTPTunnel());  // the proxy opened the tunnel
  EXPECT_EQ(http.Sock().LastError(), 10091);
  EXPECT_EQ(http.Sock().LastErrorDesc(), "SSL/TLS support is not compiled!");
  EXPECT_EQ(http.ResultCode(), 500);
  EXPECT_TRUE(http.Sock().SSL().SNIHost.empty());
  ASSERT_FALSE(http.Headers().empty());
  EXPECT_EQ(http.Headers()[0], "GET /via.txt HTTP/1.0");  // origin form inside a tunnel
}

}  // namespace
}  // namespace ov
