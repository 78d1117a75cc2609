// The TLS slot's plug-in interface: the installed plug-in refuses TLS with its own text, and
// Assign copies exactly the settings a new connection needs.
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "net/ssl_custom.h"
#include "net/ssl_none.h"

namespace ov {
namespace {

TEST(SslPlugin, DefaultPluginIsTheOneWithoutTls) {
  const std::unique_ptr<TCustomSSL> ssl = DefaultSSLPlugin(nullptr);
  ASSERT_NE(dynamic_cast<TSSLNone*>(ssl.get()), nullptr);
  EXPECT_EQ(ssl->LibName(), "ssl_none");
  EXPECT_EQ(ssl->LibVersion(), "Without SSL support");
  EXPECT_EQ(ssl->LastError(), 0);
  EXPECT_EQ(ssl->CertComplianceLevel, -1);
  EXPECT_EQ(ssl->GetVerifyCert(), 1);
  EXPECT_EQ(ssl->GetPeerSerialNo(), -1);
}

// Every operation that would need TLS fails the same way and leaves TLS inactive.
TEST(SslPlugin, EveryTlsOperationIsRefused) {
  char byte = 0;
  using Operation = std::function<bool(TSSLNone&)>;  // true when the result says "refused"
  const std::vector<std::pair<const char*, Operation>> operations = {
      {"Connect", [](TSSLNone& s) { return !s.Connect(); }},
      {"Accept", [](TSSLNone& s) { return !s.Accept(); }},
      {"Shutdown", [](TSSLNone& s) { return !s.Shutdown(); }},
      {"BiShutdown", [](TSSLNone& s) { return !s.BiShutdown(); }},
      {"SendBuffer", [&](TSSLNone& s) { return s.SendBuffer(&byte, 1) == -1; }},
      {"RecvBuffer", [&](TSSLNone& s) { return s.RecvBuffer(&byte, 1) == -1; }},
      {"WaitingData", [](TSSLNone& s) { return s.WaitingData() == 0; }},
  };
  for (const auto& [name, refused] : operations) {
    TSSLNone ssl(nullptr);
    EXPECT_TRUE(refused(ssl)) << name;
    EXPECT_EQ(ssl.LastError(), -1) << name;
    EXPECT_EQ(ssl.LastErrorDesc(), "SSL/TLS support is not compiled!") << name;
    EXPECT_FALSE(ssl.SSLEnabled()) << name;
  }
}

TEST(SslPlugin, AssignCopiesSettingsButNotEventChannelOrOwner) {
  TSSLNone source(nullptr);
  source.Username = "u";
  source.Password = "p";
  source.VerifyCert = true;
  source.SSLType = TSSLType::LT_TLSv1_2;
  source.KeyPassword = "k";
  source.Ciphers = "HIGH";
  source.CertificateFile = "c.pem";
  source.PrivateKeyFile = "k.pem";
  source.SetCertCAFile("ca.pem");
  source.CertCA = "ca-bytes";
  source.TrustCertificate = "t-bytes";
  source.TrustCertificateFile = "t.pem";
  source.Certificate = "c-bytes";
  source.PrivateKey = "k-bytes";
  source.PFX = "pfx-bytes";
  source.PFXfile = "x.pfx";
  source.CertComplianceLevel = 3;
  source.SNIHost = "example.org";
  source.SSHChannelType = "session";
  source.SSHChannelArg1 = "a1";
  source.SSHChannelArg2 = "a2";
  source.OnVerifyCert = [](TCustomSSL&) { return true; };

  TSSLNone target(nullptr);
  target.Assign(source);
  EXPECT_EQ(target.Username, "u");
  EXPECT_EQ(target.Password, "p");
  EXPECT_TRUE(target.VerifyCert);
  EXPECT_EQ(target.SSLType, TSSLType::LT_TLSv1_2);
  EXPECT_EQ(target.KeyPassword, "k");
  EXPECT_EQ(target.Ciphers, "HIGH");
  EXPECT_EQ(target.CertificateFile, "c.pem");
  EXPECT_EQ(target.PrivateKeyFile, "k.pem");
  EXPECT_EQ(target.CertCAFile(), "ca.pem");
  EXPECT_EQ(target.CertCA, "ca-bytes");
  EXPECT_EQ(target.TrustCertificate, "t-bytes");
  EXPECT_EQ(target.TrustCertificateFile, "t.pem");
  EXPECT_EQ(target.Certificate, "c-bytes");
  EXPECT_EQ(target.PrivateKey, "k-bytes");
  EXPECT_EQ(target.PFX, "pfx-bytes");
  EXPECT_EQ(target.PFXfile, "x.pfx");
  EXPECT_EQ(target.CertComplianceLevel, 3);
  EXPECT_EQ(target.SNIHost, "example.org");
  EXPECT_EQ(target.SSHChannelType, "");
  EXPECT_EQ(target.SSHChannelArg1, "");
  EXPECT_EQ(target.SSHChannelArg2, "");
  EXPECT_FALSE(target.OnVerifyCert);
}

}  // namespace
}  // namespace ov
