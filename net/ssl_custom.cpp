#include "net/ssl_custom.h"

#include <utility>

#include "net/ssl_none.h"

namespace ov {

TSSLClass DefaultSSLPlugin = &TSSLNone::Create;

TCustomSSL::TCustomSSL(TTCPBlockSocket* owner) : owner_(owner) {}

TCustomSSL::~TCustomSSL() = default;

void TCustomSSL::Assign(const TCustomSSL& value) {
  Username = value.Username;
  Password = value.Password;
  VerifyCert = value.VerifyCert;
  SSLType = value.SSLType;
  KeyPassword = value.KeyPassword;
  Ciphers = value.Ciphers;
  CertificateFile = value.CertificateFile;
  PrivateKeyFile = value.PrivateKeyFile;
  SetCertCAFile(value.CertCAFile());
  CertCA = value.CertCA;
  TrustCertificate = value.TrustCertificate;
  TrustCertificateFile = value.TrustCertificateFile;
  Certificate = value.Certificate;
  PrivateKey = value.PrivateKey;
  PFX = value.PFX;
  PFXfile = value.PFXfile;
  CertComplianceLevel = value.CertComplianceLevel;
  SNIHost = value.SNIHost;
}

void TCustomSSL::SetCertCAFile(const std::string& value) { cert_ca_file_ = value; }

bool TCustomSSL::PluginReserved() { return false; }

std::string TCustomSSL::LibVersion() { return {}; }
std::string TCustomSSL::LibName() { return {}; }

bool TCustomSSL::Connect() {
  FailNotSupported();
  return false;
}

bool TCustomSSL::Accept() {
  FailNotSupported();
  return false;
}

bool TCustomSSL::Shutdown() {
  FailNotSupported();
  return false;
}

bool TCustomSSL::BiShutdown() {
  FailNotSupported();
  return false;
}

int TCustomSSL::SendBuffer(const void*, int) {
  FailNotSupported();
  return -1;
}

int TCustomSSL::RecvBuffer(void*, int) {
  FailNotSupported();
  return -1;
}

int TCustomSSL::WaitingData() {
  FailNotSupported();
  return 0;
}

std::string TCustomSSL::GetSSLVersion() { return {}; }
std::string TCustomSSL::GetPeerSubject() { return {}; }
int TCustomSSL::GetPeerSerialNo() { return -1; }
std::string TCustomSSL::GetPeerIssuer() { return {}; }
std::string TCustomSSL::GetPeerName() { return {}; }
std::uint32_t TCustomSSL::GetPeerNameHash() { return 0; }
std::string TCustomSSL::GetPeerFingerprint() { return {}; }
std::string TCustomSSL::GetCertInfo() { return {}; }
std::string TCustomSSL::GetCipherName() { return {}; }
int TCustomSSL::GetCipherBits() { return 0; }
int TCustomSSL::GetCipherAlgBits() { return 0; }
int TCustomSSL::GetVerifyCert() { return 1; }

void TCustomSSL::FailNotSupported() { SetLastError(-1, "SSL/TLS support is not compiled!"); }

void TCustomSSL::SetLastError(std::int32_t code, std::string text) {
  last_error_ = code;
  last_error_desc_ = std::move(text);
}

}  // namespace ov
